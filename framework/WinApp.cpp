#include "WinApp.h"
#include "CommandLine.h"
#include "SystemLibrary.h"
#include <objbase.h>
#include <ole2.h>

namespace {
CWinApp* g_pApp = nullptr;

CString ExeBaseName() {
    char path[MAX_PATH + 1];
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    path[n < MAX_PATH ? n : MAX_PATH] = '\0';
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    CString s(name);
    int dot = s.ReverseFind('.');
    return dot > 0 ? s.Left(dot) : s;
}
}  // namespace

CString CWnd::GetWindowText() const {
    CString s;
    int n = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, s.GetBuffer(n + 1), n + 1);
    s.ReleaseBuffer();
    return s;
}

CWinApp::CWinApp(const char* lpszAppName) : m_strAppName(lpszAppName) { g_pApp = this; }
CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    m_nExitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(nIDResource));
}

HWND AfxGetSafeOwner(CWnd* pParent) {
    HWND hWnd = pParent ? pParent->m_hWnd : nullptr;
    if (!hWnd) {
        HWND hActive = ::GetActiveWindow();
        if (hActive && ::IsWindowEnabled(hActive)) return hActive;
        CWnd* pMain = AfxGetMainWnd();
        hWnd = pMain ? pMain->m_hWnd : nullptr;
    }
    if (!hWnd || !::IsWindow(hWnd)) return nullptr;
    while (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) hWnd = ::GetParent(hWnd);
    return ::GetLastActivePopup(hWnd);
}

int CWinApp::DoMessageBox(const char* lpszPrompt, UINT nType, UINT) {
    return ::MessageBoxA(AfxGetSafeOwner(nullptr), lpszPrompt, m_pszAppName,
                         nType | AfxDefaultMessageBoxIcon(nType));
}

int AfxWinMain(HINSTANCE hInstance, int nCmdShow) {
    CWinApp* pApp = g_pApp;
    if (!pApp) return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_nCmdShow = nCmdShow;
    // Formed from the process's own command line so the rule does not depend on the C runtime's startup code.
    pApp->m_lpCmdLine = SkipProgramName(::GetCommandLineA());
    pApp->m_strExeName = ExeBaseName();
    pApp->m_pszExeName = pApp->m_strExeName;
    if (pApp->m_strAppName.IsEmpty()) pApp->m_strAppName = pApp->m_strExeName;
    pApp->m_pszAppName = pApp->m_strAppName;

    if (!pApp->InitInstance()) return pApp->ExitInstance();
    return pApp->Run();
}

CWinApp* AfxGetApp() { return g_pApp; }
HINSTANCE AfxGetInstanceHandle() { return g_pApp ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr); }
CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }
const char* AfxGetAppName() { return g_pApp ? g_pApp->m_pszAppName : ""; }

int AfxMessageBox(const char* lpszText, UINT nType, UINT nIDHelp) {
    if (g_pApp) return g_pApp->DoMessageBox(lpszText, nType, nIDHelp);
    return ::MessageBoxA(AfxGetSafeOwner(nullptr), lpszText, "", nType | AfxDefaultMessageBoxIcon(nType));
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString s;
    s.LoadString(nIDPrompt);
    return AfxMessageBox(s, nType, nIDHelp == static_cast<UINT>(-1) ? nIDPrompt : nIDHelp);
}

BOOL CString::LoadString(UINT nID) {
    // LoadStringA cannot report a string's length, so grow until it fits.
    for (int size = 256;; size *= 2) {
        int n = ::LoadStringA(AfxGetInstanceHandle(), nID, GetBuffer(size), size);
        if (n < size - 1 || size >= 65536) {
            ReleaseBuffer(n);
            return n > 0;
        }
    }
}

BOOL AfxOleInit() {
    struct OleTerm {
        bool active = false;
        ~OleTerm() { if (active) ::OleUninitialize(); }
    };
    static OleTerm term;
    if (term.active) return TRUE;
    if (FAILED(::OleInitialize(nullptr))) return FALSE;
    term.active = true;
    return TRUE;
}

// The GUI entry point every program of the framework shares.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    AfxRestrictDllSearch();  // before anything could load a DLL
    return AfxWinMain(hInstance, nCmdShow);
}
