#include "InstallApp.h"
#include "Error.h"
#include "StartMode.h"
#include "config/LicenseDlg.h"
#include "res/resource.h"
#include "services/InstallFile.h"
#include <process.h>

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

intptr_t RunAndWait(const CString& strPath) {
    // The C runtime joins the vector unquoted; a quoted name keeps a path with blanks one
    // program name, so the child sees no arguments.
    CString strArg0 = strPath.Find(' ') >= 0 ? "\"" + strPath + "\"" : strPath;
    const char* argv[] = {strArg0, nullptr};
    return _spawnv(_P_WAIT, strPath, argv);
}

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
            // The start directory is the current directory after the licence dialog.
            CInstallFile::InitDirectories("");
            return FALSE;
        }
        RunSecondStage();
    } catch (const CError& error) {
        AfxMessageBox(error.GetErrorText(), MB_OK);
    }
    return FALSE;
}
