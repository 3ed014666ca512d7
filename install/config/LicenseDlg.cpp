#include "LicenseDlg.h"
#include "LicenseText.h"
#include "../../framework/File.h"
#include "../Error.h"
#include "../services/InstallFile.h"

CLicenseDlg::CLicenseDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CLicenseDlg::LoadAgreementText() {
    m_strNotice = kLicenseNotice;
    m_strTerms = kLicenseTerms;
    m_strCopyright = kLicenseCopyright;
}

void CLicenseDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, 1008, m_strNotice);
    DDX_Text(pDX, 1009, m_strTerms);
    DDX_Text(pDX, 1010, m_strCopyright);
}

void CLicenseDlg::WriteLicenseFile(const CString& strDir) {
    CString text = LicenseFileText(kLicenseNotice, kLicenseTerms, kLicenseCopyright);
    switch (SaveFileReplacing(JoinFileName(strDir, "License.txt"), text.str().data(), text.str().size())) {
    case SaveResult::ok: return;
    case SaveResult::cannotCreate: ThrowError(1, "Unable to Open License file");
    case SaveResult::cannotWrite: ThrowError(1, "Unable to Write License file");
    }
}

void CLicenseDlg::OnOK() {
    // The first stage does not know the installation directory yet; it writes the file
    // once the directory exists instead of at the root of the current drive.
    CString strDir = CInstallFile::GetInstallDir();
    if (!strDir.IsEmpty()) WriteLicenseFile(strDir);
    CDialog::OnOK();
}

void CLicenseDlg::OnCancel() { CDialog::OnCancel(); }
