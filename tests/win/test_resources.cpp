// The installer's resources, compiled into this test program from the same script.
#include "../../install/res/resource.h"
#include "DialogTemplate.h"
#include <gtest/gtest.h>

namespace {
std::string LoadText(UINT id) {
    char buf[1024];
    int n = ::LoadStringA(::GetModuleHandleA(nullptr), id, buf, sizeof buf);
    return std::string(buf, n);
}

TEST(Resources, StringTable) {
    EXPECT_EQ(LoadText(IDP_OLE_INIT_FAILED),
              "OLE initialization failed.  Make sure that the OLE libraries are the correct version.");
    EXPECT_NE(LoadText(IDS_CMDLINE_TOO_LONG).find("259"), std::string::npos);
}

TEST(Resources, IconIsThere) {
    EXPECT_NE(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
}

TEST(Resources, LicenseDialogTemplate) {
    DialogTemplate t = LoadDialogTemplate(::GetModuleHandleA(nullptr), IDD_LICENSE);
    ASSERT_TRUE(t.found);
    EXPECT_EQ(t.caption, "Velmora License Agreement");
    EXPECT_EQ(t.cx, 351);
    EXPECT_EQ(t.cy, 290);
    EXPECT_EQ(t.fontName, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    const DWORD frame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(t.style & frame, frame);
    EXPECT_EQ(t.style & (WS_VISIBLE | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD box = child | WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_READONLY | WS_VSCROLL;
    const DialogItem expected[] = {  // in tab order
        {child | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, "Button", "OK", 21, 261, 46, 14},
        {child | WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, "Button", "Cancel", 76, 262, 50, 14},
        {box | ES_UPPERCASE, 1008, "Edit", "", 21, 17, 312, 51},
        {box, 1009, "Edit", "", 21, 88, 312, 117},
        {child | WS_GROUP | SS_LEFT, -1, "Static", "TERMS AND CONDITIONS", 21, 73, 90, 8},
        {box, 1010, "Edit", "", 20, 215, 310, 41},
    };
    ASSERT_EQ(t.items.size(), std::size(expected));
    for (size_t i = 0; i < t.items.size(); ++i) {
        const DialogItem& a = t.items[i];
        const DialogItem& e = expected[i];
        SCOPED_TRACE(e.id);
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.className, e.className);
        EXPECT_EQ(a.text, e.text);
        EXPECT_EQ(a.style, e.style) << std::hex << a.style << " vs " << e.style;
        EXPECT_EQ((std::vector<int>{a.x, a.y, a.cx, a.cy}), (std::vector<int>{e.x, e.y, e.cx, e.cy}));
    }
}
}  // namespace
