#include "ServerApp.h"
#include "../framework/OleFactory.h"
#include "DdeIntfc.h"
#include "ServerSwitch.h"
#include "res/resource.h"

namespace {
// {4B7E2C91-5D3A-4F16-9A2E-71C0D8E35A42}
const CLSID CLSID_DdeIntfc = {0x4B7E2C91, 0x5D3A, 0x4F16, {0x9A, 0x2E, 0x71, 0xC0, 0xD8, 0xE3, 0x5A, 0x42}};

COleObjectFactory g_factory(CLSID_DdeIntfc, RUNTIME_CLASS(CDdeIntfc), FALSE, "DORVIK.DDEINTFC");
}  // namespace

CServerApp theApp;

BOOL CServerApp::InitInstance() {
    if (!AfxOleInit()) {
        AfxMessageBox(IDP_OLE_INIT_FAILED);
        m_nExitCode = 1;
        return FALSE;
    }
    std::string cmdLine = m_lpCmdLine;
    if (TakeServerSwitch(cmdLine)) {
        m_strCmdLine = cmdLine.c_str();
        m_lpCmdLine = m_strCmdLine;
        AfxOleSetUserCtrl(FALSE);  // OLE started us: end when the last object goes
        if (COleObjectFactory::RegisterAll()) return TRUE;
        // Nobody could reach the class: a server that waited would never end.
        m_nExitCode = 1;
        return FALSE;
    }
    // Registration run: exit code 0 or 1 (the installer reads -1 as "could not start").
    m_nExitCode = COleObjectFactory::UpdateRegistryAll() ? 0 : 1;
    return FALSE;
}

int CServerApp::ExitInstance() {
    COleObjectFactory::RevokeAll();  // before the framework ends OLE
    return CWinApp::ExitInstance();
}
