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
        {child | WS_GROUP | SS_LEFT, -1, "Static", "Installation Directory", 7, 23, 66, 8},
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
        {child | WS_GROUP | SS_LEFT, -1, "Static", "TERMS AND CONDITIONS", 21, 73, 91, 8},
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
        {label, -1, "Static", "Microsoft Office Directory ", 13, 112, 85, 8},
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

namespace {
// The system's own reading of a built program's application manifest (RT_MANIFEST 1).
class ProgramManifest {
public:
    explicit ProgramManifest(const char* pszProgram) {
        WCHAR path[MAX_PATH];
        DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        while (n > 0 && path[n - 1] != L'\\') --n;
        m_path = std::wstring(path, n);
        for (const char* p = pszProgram; *p; ++p) m_path += static_cast<WCHAR>(*p);
        ACTCTXW ctx = {};
        ctx.cbSize = sizeof ctx;
        ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        ctx.lpSource = m_path.c_str();
        ctx.lpResourceName = MAKEINTRESOURCEW(1);
        m_hCtx = ::CreateActCtxW(&ctx);
    }
    ~ProgramManifest() {
        if (m_hCtx != INVALID_HANDLE_VALUE) ::ReleaseActCtx(m_hCtx);
    }
    bool Valid() const { return m_hCtx != INVALID_HANDLE_VALUE; }

    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION RunLevel() const {
        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION info = {};
        ::QueryActCtxW(0, m_hCtx, nullptr, RunlevelInformationInActivationContext, &info, sizeof info, nullptr);
        return info;
    }
    // The compatibility section as the system returns it; its element layout differs between
    // systems, so the GUIDs are looked for in its bytes.
    std::string Compatibility() const {
        std::string buf(4096, '\0');
        SIZE_T written = 0;
        if (!::QueryActCtxW(0, m_hCtx, nullptr, CompatibilityInformationInActivationContext, &buf[0], buf.size(), &written))
            return "";
        buf.resize(written);
        return buf;
    }
    std::wstring Setting(const WCHAR* pszName) const {
        WCHAR value[64] = {};
        SIZE_T written = 0;
        if (!::QueryActCtxSettingsW(0, m_hCtx, nullptr, pszName, value, 64, &written)) return L"<none>";
        return value;
    }

private:
    std::wstring m_path;
    HANDLE m_hCtx = INVALID_HANDLE_VALUE;
};

TEST(Resources, ProgramManifests) {
    // Windows 7, 8, 8.1, and 10 and 11 (one id).
    const GUID supportedOS[] = {
        {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},
        {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},
        {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},
        {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}},
    };
    const struct {
        const char* program;
        ACTCTX_REQUESTED_RUN_LEVEL runLevel;
    } cases[] = {
        {"install.exe", ACTCTX_RUN_LEVEL_REQUIRE_ADMIN},  // writes to Program Files, HKCR, system32
        {"dorvik.exe", ACTCTX_RUN_LEVEL_AS_INVOKER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        ProgramManifest manifest(c.program);
        ASSERT_TRUE(manifest.Valid()) << "no manifest the system accepts, error " << ::GetLastError();
        EXPECT_EQ(manifest.RunLevel().RunLevel, c.runLevel);
        EXPECT_EQ(manifest.RunLevel().UiAccess, 0u);
        const std::string compat = manifest.Compatibility();
        for (const GUID& os : supportedOS)
            EXPECT_NE(compat.find(std::string(reinterpret_cast<const char*>(&os), sizeof os)), std::string::npos)
                << "supportedOS " << std::hex << os.Data1;
        EXPECT_TRUE(manifest.Setting(L"dpiAware") == L"true");
    }
}
}  // namespace

namespace {
INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// Every label and button of the installer's dialogs shows its whole text: what DrawText needs
// for it, wrapped at the control's width, fits the control. Measured in the dialog's font and in
// Arial of the same height, which a system without the bitmap MS Sans Serif shows instead (Wine
// without its own fonts does).
TEST(Resources, LabelsShowTheirWholeText) {
    for (int id : {IDD_INSTALL_DIR, IDD_LICENSE, IDD_DEFAULT_SETUP}) {
        SCOPED_TRACE(id);
        HWND hDlg = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, PlainDialogProc, 0);
        ASSERT_NE(hDlg, nullptr);
        RECT units = {0, 0, 4, 8};
        ::MapDialogRect(hDlg, &units);  // pixels per 4 horizontal dialog units
        HFONT hDialogFont = reinterpret_cast<HFONT>(::SendMessageA(hDlg, WM_GETFONT, 0, 0));
        LOGFONTA lf = {};
        ::GetObjectA(hDialogFont, sizeof lf, &lf);
        lstrcpyA(lf.lfFaceName, "Arial");
        HFONT hFallback = ::CreateFontIndirectA(&lf);
        for (HWND hCtl = ::GetWindow(hDlg, GW_CHILD); hCtl; hCtl = ::GetWindow(hCtl, GW_HWNDNEXT)) {
            char cls[32], text[256];
            ::GetClassNameA(hCtl, cls, sizeof cls);
            if (lstrcmpiA(cls, "Static") != 0 && lstrcmpiA(cls, "Button") != 0) continue;
            ::GetWindowTextA(hCtl, text, sizeof text);
            RECT client;
            ::GetClientRect(hCtl, &client);
            for (HFONT hFont : {hDialogFont, hFallback}) {
                HDC hdc = ::GetDC(hCtl);
                HGDIOBJ old = ::SelectObject(hdc, hFont);
                char face[LF_FACESIZE];
                ::GetTextFaceA(hdc, sizeof face, face);
                RECT need = {0, 0, client.right, 0};
                ::DrawTextA(hdc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK);
                SIZE line;
                ::GetTextExtentPoint32A(hdc, text, lstrlenA(text), &line);
                ::SelectObject(hdc, old);
                ::ReleaseDC(hCtl, hdc);
                int widthUnits = 0;  // the least width in dialog units that takes the text on one line
                while (::MulDiv(widthUnits, units.right, 4) < line.cx) ++widthUnits;
                EXPECT_TRUE(need.right <= client.right && need.bottom <= client.bottom)
                    << "\"" << text << "\" in " << face << " needs " << need.right << "x" << need.bottom
                    << " px in a control of " << client.right << "x" << client.bottom << " px; one line takes "
                    << widthUnits << " dialog units";
            }
        }
        ::DeleteObject(hFallback);
        ::DestroyWindow(hDlg);
    }
}
}  // namespace
