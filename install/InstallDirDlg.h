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
    BOOL RegisterAutomationServer();
    BOOL StartSetupProgram();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnPaint();
    HCURSOR OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
};
