#include "InstallApp.h"
#include "Error.h"
#include "InstallDirDlg.h"
#include "StartMode.h"
#include "config/DefaultSetupDlg.h"
#include "config/LicenseDlg.h"
#include "config/SetupText.h"
#include "res/resource.h"
#include "services/InstallFile.h"

CInstallApp theApp;

namespace {
// Makes a dialog the main window while it lives, so no message box shown after it (an error
// it threw included) is given a destroyed owner.
class MainWindowScope {
public:
    MainWindowScope(CWnd*& pMainWnd, CWnd* pWnd) : m_pMainWnd(pMainWnd) { m_pMainWnd = pWnd; }
    ~MainWindowScope() { m_pMainWnd = nullptr; }
    MainWindowScope(const MainWindowScope&) = delete;
    MainWindowScope& operator=(const MainWindowScope&) = delete;

private:
    CWnd*& m_pMainWnd;
};

// Second stage: register the automation server by running it from the installation
// directory, then ask for the product's settings. Throws CError from the dialog's OK.
void RunSecondStage(CWnd*& pMainWnd) {
    CDefaultSetupDlg dlgSetup;
    dlgSetup.SetDefaults(kDefaultCharacterDir, kDefaultOfficeDir, CInstallFile::GetInstallDir());
    MainWindowScope mainWnd(pMainWnd, &dlgSetup);
    if (!CInstallDirDlg::RegisterAutomationServer()) return;  // ends silently: no server, no settings
    dlgSetup.DoModal();  // OK writes Setup.txt; Cancel writes nothing
}
}  // namespace

BOOL CInstallApp::InitInstance() {
    if (!AfxOleInit()) {
        AfxMessageBox(IDP_OLE_INIT_FAILED);
        return FALSE;
    }
    Enable3dControlsStatic();

    switch (GetStartMode(m_lpCmdLine)) {
    case StartMode::automation:
        return FALSE;  // started as an automation server: the installer serves nothing
    case StartMode::tooLong:
        AfxMessageBox(IDS_CMDLINE_TOO_LONG);
        return FALSE;
    case StartMode::firstStage:
    case StartMode::secondStage:
        break;
    }

    const CString strCmdLine = m_lpCmdLine;
    const bool bFirstStage = strCmdLine.IsEmpty();
    if (!bFirstStage) CInstallFile::InitDirectories(strCmdLine);

    try {
        CLicenseDlg dlgLicense;
        dlgLicense.LoadAgreementText();
        if (dlgLicense.DoModal() == IDCANCEL) return FALSE;

        if (bFirstStage) {
            CInstallDirDlg dlgDir;
            // The start directory is the current directory after the licence dialog.
            CInstallFile::InitDirectories(dlgDir.m_strDir);
            MainWindowScope mainWnd(m_pMainWnd, &dlgDir);
            dlgDir.DoModal();  // all of the first stage's work runs in its OK handler
            return FALSE;
        }
        RunSecondStage(m_pMainWnd);
    } catch (const CError& error) {
        AfxMessageBox(error.GetErrorText(), MB_OK);
    }
    return FALSE;
}
