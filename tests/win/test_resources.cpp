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

// The template's controls, in tab order, against the expected ones field by field.
template <size_t N>
void ExpectItems(const DialogTemplate& t, const DialogItem (&expected)[N]) {
    ASSERT_EQ(t.items.size(), N);
    for (size_t i = 0; i < N; ++i) {
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

// The dialog's own caption, size, font and frame; visible is whether it shows itself.
void ExpectDialog(const DialogTemplate& t, const char* caption, int cx, int cy, bool visible) {
    ASSERT_TRUE(t.found) << caption;
    EXPECT_EQ(t.caption, caption);
    EXPECT_EQ((std::vector<int>{t.cx, t.cy}), (std::vector<int>{cx, cy}));
    EXPECT_EQ(t.fontName, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    const DWORD frame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(t.style & frame, frame);
    EXPECT_EQ(t.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    EXPECT_EQ((t.style & WS_VISIBLE) != 0, visible);
}

TEST(Resources, StringTable) {
    EXPECT_EQ(LoadText(IDP_OLE_INIT_FAILED),
              "OLE initialization failed.  Make sure that the OLE libraries are the correct version.");
    EXPECT_NE(LoadText(IDS_CMDLINE_TOO_LONG).find("259"), std::string::npos);
    EXPECT_EQ(LoadText(IDS_INSTALL_FAILED), "Installation Failed");
    EXPECT_EQ(LoadText(IDS_CANNOT_CREATE_DIR), "Unable to create directory");
}

TEST(Resources, IconIsThere) {
    EXPECT_NE(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
}

TEST(Resources, InstallDirDialogTemplate) {
    DialogTemplate t = LoadDialogTemplate(::GetModuleHandleA(nullptr), IDD_INSTALL_DIR);
    EXPECT_EQ(IDD_INSTALL_DIR, 102);
    ExpectDialog(t, "Install Velmora", 230, 108, true);
    EXPECT_EQ(t.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW)) << "shown on the task bar";

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DialogItem expected[] = {  // in tab order
        {child | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, "Button", "OK", 13, 70, 50, 14},
        {child | WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, "Button", "Cancel", 69, 71, 50, 14},
        {child | WS_GROUP | SS_LEFT, -1, "Static", "Installation Directory", 7, 23, 64, 8},
        {child | WS_DISABLED | ES_LEFT, 1000, "Edit", "", 13, 87, 154, 14},
        {child | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 1001, "Edit", "", 81, 20, 136, 14},
    };
    ExpectItems(t, expected);
}

TEST(Resources, LicenseDialogTemplate) {
    DialogTemplate t = LoadDialogTemplate(::GetModuleHandleA(nullptr), IDD_LICENSE);
    ExpectDialog(t, "Velmora License Agreement", 351, 290, false);

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
    ExpectItems(t, expected);
}
TEST(Resources, DefaultSetupDialogTemplate) {
    DialogTemplate t = LoadDialogTemplate(::GetModuleHandleA(nullptr), IDD_DEFAULT_SETUP);
    ExpectDialog(t, "Velmora Default Setup", 358, 218, false);

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD edit = child | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
    const DWORD label = child | WS_GROUP | SS_LEFT;
    const DialogItem expected[] = {  // in tab order
        {edit, 1002, "Edit", "", 130, 13, 204, 14},
        {edit, 1004, "Edit", "", 130, 32, 204, 14},
        {edit, 1011, "Edit", "", 130, 51, 204, 14},
        {edit, 1005, "Edit", "", 130, 70, 204, 14},
        {edit, 1010, "Edit", "", 130, 89, 204, 14},
        {edit, 1003, "Edit", "", 130, 108, 203, 14},
        {edit, 1006, "Edit", "", 130, 127, 40, 14},
        {edit, 1007, "Edit", "", 130, 146, 40, 14},
        {edit, 1008, "Edit", "", 272, 146, 40, 14},
        {edit & ~WS_VISIBLE, 1009, "Edit", "", 130, 165, 182, 14},
        {child | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, "Button", "OK", 13, 190, 50, 14},
        {child | WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, "Button", "Cancel", 70, 190, 50, 14},
        {label, -1, "Static", "Microsoft Office Directory ", 13, 112, 82, 8},
        {label, -1, "Static", "Agent Character Files Directory", 13, 17, 108, 8},
        {label, -1, "Static", "CD-ROM Drive", 197, 151, 61, 8},
        {label, -1, "Static", "Disk Drive", 13, 150, 82, 8},
        {label, -1, "Static", "Hard Disk Drive", 13, 131, 82, 8},
        {label & ~WS_VISIBLE, -1, "Static", "Java Class Library ", 13, 169, 82, 8},
        {label, -1, "Static", "CtlAgent Character File Name", 13, 36, 108, 8},
        {label, -1, "Static", "NetAgent Character File Name", 13, 74, 108, 8},
        {label, -1, "Static", "ImageAgent Character File Name", 13, 93, 108, 8},
        {label, -1, "Static", "WinAgent Character File Name", 13, 55, 108, 8},
    };
    ExpectItems(t, expected);
}
}  // namespace
