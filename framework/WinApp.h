// CWnd, CWinApp and the application-wide helpers: the least of the framework the programs use.
#pragma once
#include "Object.h"
#include "String.h"
#include <windows.h>

class CWnd : public CObject {
public:
    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    CString GetWindowText() const;
    void SetWindowText(const char* psz) { ::SetWindowTextA(m_hWnd, psz); }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::SendMessageA(m_hWnd, msg, wp, lp); }
    void SetIcon(HICON hIcon, BOOL bBigIcon) { SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
};

class CWinApp : public CObject {
public:
    // A null name makes the title the executable's file name without extension.
    explicit CWinApp(const char* lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return m_nExitCode; }
    virtual int Run();  // the main message loop, ended by WM_QUIT
    virtual int DoMessageBox(const char* lpszPrompt, UINT nType, UINT nIDPrompt);

    HICON LoadIcon(UINT nIDResource) const;
    void Enable3dControlsStatic() {}  // every supported system draws 3-D controls itself

    HINSTANCE m_hInstance = nullptr;
    const char* m_lpCmdLine = "";
    int m_nCmdShow = SW_SHOWNORMAL;
    const char* m_pszAppName = nullptr;  // the application title
    const char* m_pszExeName = nullptr;
    CWnd* m_pMainWnd = nullptr;

protected:
    int m_nExitCode = 0;

private:
    CString m_strAppName;
    CString m_strExeName;
    friend int AfxWinMain(HINSTANCE, int);
};

int AfxWinMain(HINSTANCE hInstance, int nCmdShow);
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
CWnd* AfxGetMainWnd();
const char* AfxGetAppName();

// The owner a modal box or dialog gets when none is given: the active window of this
// thread, else the last active popup of the main window.
HWND AfxGetSafeOwner(CWnd* pParent);

int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));

BOOL AfxOleInit();
