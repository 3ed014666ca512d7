#include "DdeIntfc.h"
#include "../framework/OleFactory.h"
#include "../framework/SystemLibrary.h"
#include "StartCommand.h"
#include "UserNameResult.h"
#include <cstring>
#include <process.h>
#include <winnetwk.h>

// {4B7E2C90-5D3A-4F16-9A2E-71C0D8E35A42}
const IID IID_IDdeIntfc = {0x4B7E2C90, 0x5D3A, 0x4F16, {0x9A, 0x2E, 0x71, 0xC0, 0xD8, 0xE3, 0x5A, 0x42}};
// {4B7E2C92-5D3A-4F16-9A2E-71C0D8E35A42}
const GUID LIBID_Dorvik = {0x4B7E2C92, 0x5D3A, 0x4F16, {0x9A, 0x2E, 0x71, 0xC0, 0xD8, 0xE3, 0x5A, 0x42}};

thread_local CDdeIntfc* g_pDdeIntfc = nullptr;

IMPLEMENT_DYNCREATE(CDdeIntfc, CCmdTarget)

BEGIN_DISPATCH_MAP(CDdeIntfc, CCmdTarget)
    DISP_PROPERTY_NOTIFY(CDdeIntfc, "errorDesc", m_errorDesc, OnErrorDescChanged, VT_BSTR)
    DISP_PROPERTY_NOTIFY(CDdeIntfc, "errorCode", m_errorCode, OnErrorCodeChanged, VT_I2)
    DISP_FUNCTION(CDdeIntfc, "getUserName", getUserName, VT_BOOL)
    DISP_FUNCTION(CDdeIntfc, "setOperationInfo", setOperationInfo, VT_BOOL)
    DISP_FUNCTION(CDdeIntfc, "doOperation", doOperation, VT_BOOL)
    DISP_FUNCTION(CDdeIntfc, "setOpInfo", setOpInfo, VT_BOOL)
    DISP_FUNCTION(CDdeIntfc, "uninitialize", uninitialize, VT_EMPTY)
END_DISPATCH_MAP()

IMPLEMENT_OLETYPELIB(CDdeIntfc, LIBID_Dorvik, kDorvikLibMajor, kDorvikLibMinor)

BEGIN_INTERFACE_MAP(CDdeIntfc, CCmdTarget)
    INTERFACE_PART(CDdeIntfc, IID_IDdeIntfc, Dispatch)
END_INTERFACE_MAP()

CDdeIntfc::CDdeIntfc() {
    EnableAutomation();
    AfxOleLockApp();  // the server lives while an object does
    g_pDdeIntfc = this;
}

CDdeIntfc::~CDdeIntfc() {
    uninitialize();
    if (g_pDdeIntfc == this) g_pDdeIntfc = nullptr;
    AfxOleUnlockApp();
}

void CDdeIntfc::OnFinalRelease() { CCmdTarget::OnFinalRelease(); }

CRegInfo* CDdeIntfc::FindRegInfo(const char* pszKey) const {
    for (const auto& p : m_regList)
        if (std::strcmp(p->GetKey(), pszKey) == 0) return p.get();
    return nullptr;
}

BOOL CDdeIntfc::getUserName(CString& strUserName, const char*) {
    // One character more than announced, so a name of the full length keeps its terminator.
    char szName[kUserNameChars + 1] = {};
    DWORD nLength = kUserNameChars;
    // mpr.dll is not one of the system's KnownDLLs: it comes from the system directory only.
    static const auto pWNetGetUser = AfxGetSystemProc<decltype(&::WNetGetUserA)>("mpr.dll", "WNetGetUserA");
    DWORD result = pWNetGetUser ? pWNetGetUser(nullptr, szName, &nLength) : static_cast<DWORD>(ERROR_NO_NETWORK);
    UserNameOutcome outcome = GetUserNameOutcome(result);
    SetResult(outcome.nErrorCode, outcome.pszErrorDesc);
    if (outcome.nErrorCode != 0) return FALSE;
    if (result == NO_ERROR) strUserName = szName;
    return TRUE;
}

BOOL CDdeIntfc::CheckNotBusy() {
    if (m_nBusy == 0) return TRUE;
    SetResult(kBusy, "Object Busy With Another Call");
    return FALSE;
}

BOOL CDdeIntfc::CheckExact(std::initializer_list<std::pair<const CNarrowArg*, const char*>> texts) {
    for (const auto& t : texts) {
        if (t.first->IsExact()) continue;
        SetResult(kNotRepresentable, CString(t.second) + " Not Representable in the ANSI Code Page");
        return FALSE;
    }
    return TRUE;
}

BOOL CDdeIntfc::setOperationInfo(const CNarrowArg& pszKey, const CNarrowArg& pszVerb) {
    if (!CheckNotBusy() || !CheckExact({{&pszKey, "Key"}, {&pszVerb, "Verb"}})) return FALSE;
    CRegInfo* pRegInfo = FindRegInfo(pszKey);
    if (!pRegInfo) {
        auto loaded = std::make_unique<CRegInfo>(pszKey);
        CString strError;
        if (!loaded->Load(strError)) {
            SetResult(201, strError);
            return FALSE;
        }
        pRegInfo = loaded.get();
        m_regList.push_back(std::move(loaded));
    }
    if (pRegInfo->FindVerb(pszVerb) < 0) {
        SetResult(202, "Command Not Found");
        return FALSE;
    }
    SetResult(0, "");
    return TRUE;
}

BOOL CDdeIntfc::doOperation(const CNarrowArg& pszKey, const CNarrowArg& pszVerb, const CNarrowArg& pszDocument) {
    if (!CheckNotBusy() || !CheckExact({{&pszKey, "Key"}, {&pszVerb, "Verb"}, {&pszDocument, "Document"}})) return FALSE;
    CRegInfo* pRegInfo = FindRegInfo(pszKey);
    if (!pRegInfo) {
        m_errorCode = 100;
        return FALSE;
    }
    int nVerb = pRegInfo->FindVerb(pszVerb);
    if (nVerb < 0) {
        SetResult(202, "Command Not Found");
        return FALSE;
    }
    if (pRegInfo->UsesDde(nVerb)) {
        // Calls that arrive during the wait are refused (or, uninitialize, put off), and the
        // object outlives a release by another holder until the wait is over.
        InternalAddRef();
        ++m_nBusy;
        const BOOL bResult = DoDdeOperation(*pRegInfo, nVerb, pszDocument);
        if (--m_nBusy == 0 && m_bUninitializeDue) uninitialize();
        InternalRelease();  // may be the last reference: nothing of the object is touched after
        return bResult;
    }
    if (!StartApplication(pszDocument, pRegInfo->GetCommand(nVerb))) {
        SetResult(301, "Unable to Start Application - Not Supporting DDE");
        return FALSE;
    }
    SetResult(0, "");
    return TRUE;
}

BOOL CDdeIntfc::setOpInfo(const CNarrowArg& pszKey, const CNarrowArg& pszVerb, const CNarrowArg& pszApplication,
                          const CNarrowArg& pszTopic, BOOL, const CNarrowArg& pszDdeCommand, const CNarrowArg& pszIfExec,
                          const CNarrowArg& pszCommandLine) {
    if (!CheckNotBusy() ||
        !CheckExact({{&pszKey, "Key"}, {&pszVerb, "Verb"}, {&pszApplication, "Application"}, {&pszTopic, "Topic"},
                     {&pszDdeCommand, "DDE Command"}, {&pszIfExec, "IfExec Command"}, {&pszCommandLine, "Command Line"}}))
        return FALSE;
    CRegInfo* pRegInfo = FindRegInfo(pszKey);
    if (!pRegInfo) {
        m_errorCode = 100;
        return FALSE;
    }
    pRegInfo->AddVerb(pszVerb, pszApplication, pszTopic, pszDdeCommand, pszIfExec, pszCommandLine);
    return TRUE;
}

void CDdeIntfc::uninitialize() {
    if (m_nBusy) {
        m_bUninitializeDue = true;
        return;
    }
    m_bUninitializeDue = false;
    EndDde();
    m_regList.clear();
}

BOOL CDdeIntfc::StartApplication(const char* pszDocument, const char* pszCommandLine) {
    std::vector<std::string> args = SplitStartCommand(pszDocument, pszCommandLine);
    if (args.empty()) return FALSE;
    // The arguments are joined with single blanks into the new command line, so a program path
    // with blanks is quoted there or the application would take its pieces for arguments.
    const std::string program = args[0];
    args[0] = QuoteIfBlank(program);
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    // Searched along the PATH when not found under the name itself.
    intptr_t hProcess = ::_spawnvp(_P_NOWAIT, program.c_str(), argv.data());
    if (hProcess == -1) return FALSE;
    ::CloseHandle(reinterpret_cast<HANDLE>(hProcess));  // the application runs on by itself
    return TRUE;
}
