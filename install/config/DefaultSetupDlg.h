// The default setup dialog: the product's settings, written to Setup.txt on OK.
#pragma once
#include "../../framework/Dialog.h"

class CDefaultSetupDlg : public CDialog {
public:
    enum { IDD = 130 };
    explicit CDefaultSetupDlg(CWnd* pParent = nullptr);

    // Both stages pass kDefaultCharacterDir, kDefaultOfficeDir and the installation directory.
    void SetDefaults(CString strCharacterDir, CString strOfficeDir, CString strInstallDir);

    // Writes Setup.txt into the installation directory from the members; throws CError
    // (severity 1) when it cannot, leaving any earlier file as it was.
    void WriteSetupFile();

    CString m_strInstallDir;
    CString m_strCharacterDir;
    CString m_strOfficeDir;
    CString m_strCdromDrive;
    CString m_strDiskDrive;
    CString m_strHardDiskDrive;
    CString m_strJavaClassLib;  // shown nowhere and never written
    CString m_strCtlAgentFile;
    CString m_strImageAgentFile;
    CString m_strNetAgentFile;
    CString m_strWinAgentFile;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCancel() override;
};
