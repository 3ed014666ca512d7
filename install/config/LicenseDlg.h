// The licence agreement dialog: the first dialog of each stage.
#pragma once
#include "../../framework/Dialog.h"

class CLicenseDlg : public CDialog {
public:
    enum { IDD = 139 };
    explicit CLicenseDlg(CWnd* pParent = nullptr);

    void LoadAgreementText();
    // Writes License.txt into strDir; throws CError (severity 1) when it cannot. The first
    // stage calls this once the installation directory has been created.
    static void WriteLicenseFile(const CString& strDir);

    CString m_strNotice;
    CString m_strTerms;
    CString m_strCopyright;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCancel() override;
};
