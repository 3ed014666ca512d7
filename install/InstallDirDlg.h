// The installation directory dialog: the first stage's main window, whose OK does the
// first stage's work.
#pragma once
#include "../framework/Dialog.h"

class CInstallDirDlg : public CDialog {
public:
    enum { IDD = 102 };
    explicit CInstallDirDlg(CWnd* pParent = nullptr);

    CString m_strDir;
    CString m_strNote;
    HICON m_hIcon;

    BOOL InstallFiles();
    BOOL RegisterTypeLibraries();
    BOOL RunDefaultSetup();
    // Runs dorvik.exe from the installation directory and waits: it registers itself.
    // FALSE when it cannot be started. The second stage uses it too.
    static BOOL RegisterAutomationServer();
    // Records dorvik's registration, copies uninstall.exe beside the product and writes the
    // Add or Remove Programs entry; a failure is shown and the stage goes on.
    void RegisterProduct();
    BOOL StartSetupProgram();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnPaint();
    HCURSOR OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
};
