#include "ServerApp.h"
#include "../framework/OleFactory.h"
#include "../framework/TypeLib.h"
#include "DdeIntfc.h"
#include "ServerSwitch.h"
#include "res/resource.h"

namespace {
// {4B7E2C91-5D3A-4F16-9A2E-71C0D8E35A42}
const CLSID CLSID_DdeIntfc = {0x4B7E2C91, 0x5D3A, 0x4F16, {0x9A, 0x2E, 0x71, 0xC0, 0xD8, 0xE3, 0x5A, 0x42}};

// A server that never held an object ends after this long; one whose last object went, after
// a grace for clients whose activation is on its way (Wine's clients connect once a second).
constexpr DWORD kIdleMs = 30000;
constexpr DWORD kAfterLastObjectMs = 3000;

COleObjectFactory g_factory(CLSID_DdeIntfc, RUNTIME_CLASS(CDdeIntfc), FALSE, "DORVIK.DDEINTFC", &LIBID_Dorvik,
                            kDorvikLibMajor, kDorvikLibMinor);
}  // namespace

CServerApp theApp;

BOOL CServerApp::InitInstance() {
    if (!AfxOleInit()) {
        AfxMessageBox(IDP_OLE_INIT_FAILED);
        m_nExitCode = 1;
        return FALSE;
    }
    std::string cmdLine = m_lpCmdLine;
    const ServerRun run = TakeRunSwitch(cmdLine);
    m_strCmdLine = cmdLine.c_str();
    m_lpCmdLine = m_strCmdLine;
    switch (run) {
    case ServerRun::Serve:
        AfxOleSetUserCtrl(FALSE);  // OLE started us: end when the last object goes
        // One apartment thread per object, each with its own DDE instance: an execute waits up to
        // 20 s inside the DDE library, and a connect up to 2.5 s for a starting application, and
        // neither may hold up other clients' objects or the creation of new ones. Each object's
        // calls still arrive one at a time on its own thread, as the object expects.
        g_factory.SetApartmentPerObject(TRUE);
        AfxOleEndWhenIdle(kIdleMs, kAfterLastObjectMs);
        if (COleObjectFactory::RegisterAll()) return TRUE;
        // Nobody could reach the class: a server that waited would never end.
        m_nExitCode = 1;
        return FALSE;
    case ServerRun::Unregister: {
        // Exit code 0 when our entries are gone (or were never there, or are another copy's).
        // Both steps run even when one fails, so as much as possible goes.
        const BOOL bTypeLib = AfxOleUnregisterTypeLib(LIBID_Dorvik, kDorvikLibMajor, kDorvikLibMinor);
        const BOOL bClass = COleObjectFactory::UpdateRegistryAll(FALSE);
        m_nExitCode = bTypeLib && bClass ? 0 : 1;
        return FALSE;
    }
    case ServerRun::Register:
        break;
    }
    // Registration run: exit code 0 or 1 (the installer reads -1 as "could not start"). The
    // type library follows the class's entries, as those follow each other.
    m_nExitCode = COleObjectFactory::UpdateRegistryAll() && AfxOleRegisterTypeLib(m_hInstance, LIBID_Dorvik) ? 0 : 1;
    return FALSE;
}

int CServerApp::ExitInstance() {
    COleObjectFactory::RevokeAll();  // before the framework ends OLE
    return CWinApp::ExitInstance();
}
