#include "DefaultSetupDlg.h"
#include "SetupText.h"
#include "../../framework/File.h"
#include "../Error.h"
#include "../res/resource.h"
#include "../services/InstallFile.h"
#include <cstdlib>
#include <ctime>

namespace {
// The date line as the C runtime sees local time: TZ when set, else the system's zone.
CString CurrentSetupDate() {
    TIME_ZONE_INFORMATION tzi;
    const bool bSystemZoneKnown = ::GetTimeZoneInformation(&tzi) != TIME_ZONE_ID_INVALID;
    return SetupDateText(std::time(nullptr), std::getenv("TZ"), bSystemZoneKnown);
}
}  // namespace

CDefaultSetupDlg::CDefaultSetupDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CDefaultSetupDlg::SetDefaults(CString strCharacterDir, CString strOfficeDir, CString strInstallDir) {
    const SetupValues v = DefaultSetupValues(strCharacterDir, strOfficeDir, strInstallDir);
    m_strCdromDrive = v.strCdromDrive;
    m_strHardDiskDrive = v.strHardDiskDrive;
    m_strDiskDrive = v.strDiskDrive;
    m_strCharacterDir = v.strCharacterDir;
    m_strOfficeDir = v.strOfficeDir;
    m_strInstallDir = v.strInstallDir;
    m_strJavaClassLib = "c:\\java\\lib\\classes.zip";
    m_strCtlAgentFile = v.strCtlAgentFile;
    m_strWinAgentFile = v.strWinAgentFile;
    m_strNetAgentFile = v.strNetAgentFile;
    m_strImageAgentFile = v.strImageAgentFile;
}

void CDefaultSetupDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SETUP_CHARACTER_DIR, m_strCharacterDir);
    DDX_Text(pDX, IDC_SETUP_OFFICE_DIR, m_strOfficeDir);
    DDX_Text(pDX, IDC_SETUP_CDROM_DRIVE, m_strCdromDrive);
    DDX_Text(pDX, IDC_SETUP_DISK_DRIVE, m_strDiskDrive);
    DDX_Text(pDX, IDC_SETUP_HARDDISK_DRIVE, m_strHardDiskDrive);
    DDX_Text(pDX, IDC_SETUP_JAVA_CLASSLIB, m_strJavaClassLib);
    DDX_Text(pDX, IDC_SETUP_CTLAGENT_FILE, m_strCtlAgentFile);
    DDX_Text(pDX, IDC_SETUP_IMAGEAGENT_FILE, m_strImageAgentFile);
    DDX_Text(pDX, IDC_SETUP_NETAGENT_FILE, m_strNetAgentFile);
    DDX_Text(pDX, IDC_SETUP_WINAGENT_FILE, m_strWinAgentFile);
}

void CDefaultSetupDlg::WriteSetupFile() {
    // The character directory always ends in a backslash, in the file and in the member.
    AppendBackslash(m_strCharacterDir);
    SetupValues v;
    v.strInstallDir = m_strInstallDir;
    v.strCharacterDir = m_strCharacterDir;
    v.strOfficeDir = m_strOfficeDir;
    v.strHardDiskDrive = m_strHardDiskDrive;
    v.strDiskDrive = m_strDiskDrive;
    v.strCdromDrive = m_strCdromDrive;
    v.strCtlAgentFile = m_strCtlAgentFile;
    v.strWinAgentFile = m_strWinAgentFile;
    v.strNetAgentFile = m_strNetAgentFile;
    v.strImageAgentFile = m_strImageAgentFile;

    CString strText;
    // Too long for the product's reader: refused whole rather than cut.
    if (!ComposeSetupText(v, CInstallFile::GetWinDir(), CurrentSetupDate(), strText))
        ThrowError(1, "Unable to write Setup file");
    switch (SaveFileReplacing(JoinFileName(m_strInstallDir, "Setup.txt"), strText.str().data(), strText.str().size())) {
    case SaveResult::ok: return;
    case SaveResult::cannotCreate: ThrowError(1, "Unable to Open Setup file");
    case SaveResult::cannotWrite: ThrowError(1, "Unable to write Setup file");
    }
}

void CDefaultSetupDlg::OnOK() {
    UpdateData(TRUE);  // plain text exchange cannot fail
    WriteSetupFile();
    CDialog::OnOK();
}

void CDefaultSetupDlg::OnCancel() { CDialog::OnCancel(); }
