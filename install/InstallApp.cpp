#include "InstallApp.h"
#include "Error.h"
#include "InstallDirDlg.h"
#include "Spawn.h"
#include "StartMode.h"
#include "config/LicenseDlg.h"
#include "res/resource.h"
#include "services/InstallFile.h"

CInstallApp theApp;

namespace {
// Second stage: register the automation server by running it from the installation directory.
BOOL RunSecondStage() {
    // Plain concatenation: a directory ending in a backslash gives a doubled one, which the system accepts.
    CString strServer = CInstallFile::GetInstallDir() + "\\dorvik.exe";
    if (RunAndWait(strServer) == -1) return FALSE;
    return TRUE;
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
            m_pMainWnd = &dlgDir;
            dlgDir.DoModal();  // all of the first stage's work runs in its OK handler
            m_pMainWnd = nullptr;
            return FALSE;
        }
        RunSecondStage();
    } catch (const CError& error) {
        AfxMessageBox(error.GetErrorText(), MB_OK);
    }
    return FALSE;
}
