// The DDE side of doOperation: verbs with a ddeexec key, carried out over one conversation
// per key with the application's DDE server, which is started when it does not answer.
#include "DdeIntfc.h"
#include "DdeText.h"
#include "DdeLibrary.h"
#include <algorithm>
#include <cstring>
#include <vector>

IMPLEMENT_DYNCREATE(CConvInfo, CObject)

namespace {
// The objects of this thread that hold a DDE instance. An instance calls back on the thread
// that made it, and the callback has no context of its own, so a disconnect notice is routed
// to whichever of them owns the conversation.
thread_local std::vector<CDdeIntfc*> t_ddeObjects;

constexpr int kConnectTries = 25;
constexpr DWORD kConnectWaitMs = 100;
constexpr DWORD kExecuteTimeoutMs = 20000;

// Codes of an execute that failed because the partner is gone, not because it said no.
bool PartnerGone(UINT nError) {
    return nError == DMLERR_POSTMSG_FAILED || nError == DMLERR_NO_CONV_ESTABLISHED || nError == DMLERR_SERVER_DIED;
}

class RealDde final : public IDdeLibrary {
public:
    UINT Initialize(DWORD* pidInst, PFNCALLBACK pfn, DWORD afCmd) override { return ::DdeInitializeA(pidInst, pfn, afCmd, 0); }
    BOOL Uninitialize(DWORD idInst) override { return ::DdeUninitialize(idInst); }
    HSZ CreateStringHandle(DWORD idInst, const char* psz) override { return ::DdeCreateStringHandleA(idInst, psz, CP_WINANSI); }
    BOOL FreeStringHandle(DWORD idInst, HSZ hsz) override { return ::DdeFreeStringHandle(idInst, hsz); }
    HCONV Connect(DWORD idInst, HSZ service, HSZ topic) override { return ::DdeConnect(idInst, service, topic, nullptr); }
    BOOL Disconnect(HCONV hConv) override { return ::DdeDisconnect(hConv); }
    HDDEDATA ClientTransaction(BYTE* pData, DWORD cb, HCONV hConv, UINT uType, DWORD dwTimeout, DWORD* pdwResult) override {
        return ::DdeClientTransaction(pData, cb, hConv, nullptr, 0, uType, dwTimeout, pdwResult);
    }
    UINT GetLastError(DWORD idInst) override { return ::DdeGetLastError(idInst); }
    BOOL QueryConvInfo(HCONV hConv, CONVINFO* pci) override { return ::DdeQueryConvInfo(hConv, QID_SYNC, pci); }
};

class StringHandle {
public:
    StringHandle(IDdeLibrary& dde, DWORD idInst, const char* psz) : m_dde(dde), m_idInst(idInst), m_hsz(dde.CreateStringHandle(idInst, psz)) {}
    ~StringHandle() { if (m_hsz) m_dde.FreeStringHandle(m_idInst, m_hsz); }
    StringHandle(const StringHandle&) = delete;
    StringHandle& operator=(const StringHandle&) = delete;
    HSZ get() const { return m_hsz; }

private:
    IDdeLibrary& m_dde;
    DWORD m_idInst;
    HSZ m_hsz;
};
}  // namespace

IDdeLibrary& RealDdeLibrary() {
    static RealDde real;
    return real;
}

BOOL CDdeIntfc::InitDde(CString& strError) {
    if (m_idInst != 0) return TRUE;
    UINT result = m_pDde->Initialize(&m_idInst, DdeCallback, 0);
    if (result != DMLERR_NO_ERROR) {
        m_idInst = 0;
        strError = DdeInitializeErrorText(result);
        return FALSE;
    }
    t_ddeObjects.push_back(this);
    return TRUE;
}

BOOL CDdeIntfc::Connect(CConvInfo& conv, CString& strError, UINT& nError) {
    nError = 0;
    StringHandle service(*m_pDde, m_idInst, conv.GetService());
    if (!service.get()) {
        strError = "hszService";
        return FALSE;
    }
    StringHandle topic(*m_pDde, m_idInst, conv.GetTopic());
    if (!topic.get()) {
        strError = "hszTopic";
        return FALSE;
    }
    HCONV hConv = m_pDde->Connect(m_idInst, service.get(), topic.get());
    if (!hConv) {
        nError = GetLastErrorText(strError);
        // Wine sometimes records no error when nobody answers; that is still no conversation.
        if (nError == DMLERR_NO_ERROR) {
            nError = DMLERR_NO_CONV_ESTABLISHED;
            strError = DdeErrorText(nError);
        }
        return FALSE;
    }
    conv.SetConv(hConv);
    return TRUE;
}

BOOL CDdeIntfc::Execute(CConvInfo& conv, const char* pszDdeCommand, const char* pszDocument, CString& strError, UINT& nError) {
    nError = 0;
    // The callback runs while the transaction waits and may delete the record: take what the
    // call needs from it now and never touch it afterwards.
    const HCONV hConv = conv.GetConv();
    // That one browser answers late or never; its transaction is only handed over.
    const DWORD timeout = std::strcmp(conv.GetService(), "IExplore") == 0 ? TIMEOUT_ASYNC : kExecuteTimeoutMs;
    const CString command = ExpandDdeCommand(pszDdeCommand, pszDocument);
    // The library copies the text (its terminator included); the buffer stays ours and goes
    // with the string whatever the outcome.
    const DWORD cb = static_cast<DWORD>(command.GetLength() + 1);
    DWORD dwTransaction = 0;
    HDDEDATA hResult = m_pDde->ClientTransaction(reinterpret_cast<BYTE*>(const_cast<char*>(static_cast<const char*>(command))),
                                                 cb, hConv, XTYP_EXECUTE, timeout,
                                                 timeout == TIMEOUT_ASYNC ? &dwTransaction : nullptr);
    if (!hResult) {
        nError = GetLastErrorText(strError);
        return FALSE;
    }
    return TRUE;
}

UINT CDdeIntfc::GetLastErrorText(CString& strError) {
    UINT nError = m_pDde->GetLastError(m_idInst);
    strError = DdeErrorText(nError);
    return nError;
}

int CDdeIntfc::FindConvInfo(const char* pszKey) const {
    for (size_t i = 0; i < m_convList.size(); ++i)
        if (std::strcmp(m_convList[i]->GetKey(), pszKey) == 0) return static_cast<int>(i);
    return -1;
}

int CDdeIntfc::FindConvByHandle(HCONV hConv) const {
    for (size_t i = 0; i < m_convList.size(); ++i)
        if (m_convList[i]->GetConv() == hConv) return static_cast<int>(i);
    return -1;
}

void CDdeIntfc::RemoveConv(HCONV hConv) {
    int i = FindConvByHandle(hConv);
    if (i >= 0) m_convList.erase(m_convList.begin() + i);
}

HDDEDATA CALLBACK CDdeIntfc::DdeCallback(UINT uType, UINT, HCONV hConv, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    if (uType != XTYP_DISCONNECT) return nullptr;
    for (CDdeIntfc* pObject : t_ddeObjects) {
        if (pObject->FindConvByHandle(hConv) < 0) continue;
        pObject->m_pDde->Disconnect(hConv);
        pObject->RemoveConv(hConv);
        return nullptr;
    }
    ::DdeDisconnect(hConv);  // no record of ours (any longer): still end our side
    return nullptr;
}

void CDdeIntfc::SetDdeLibrary(IDdeLibrary& dde) {
    EndDde();  // an instance belongs to the library that made it
    m_pDde = &dde;
}

// Every call below that may run the callback (connect, execute, disconnect) can remove records
// from m_convList, so no index is kept across one: the key's record is looked up again after.
BOOL CDdeIntfc::DoDdeOperation(CRegInfo& regInfo, int nVerb, const char* pszDocument) {
    CString strError;
    if (!InitDde(strError)) {
        SetResult(300, strError);
        return FALSE;
    }
    const CString key = regInfo.GetKey();
    HCONV hConv = LiveConversation(key);
    const bool bReused = hConv != nullptr;
    if (!hConv && !(hConv = OpenConversation(regInfo, nVerb, pszDocument))) return FALSE;

    UINT nError = 0;
    for (int nTry = 0;; ++nTry) {
        const int i = FindConvByHandle(hConv);
        if (i >= 0 && Execute(*m_convList[i], regInfo.GetDdeCommand(nVerb), pszDocument, strError, nError)) break;
        // A disconnect notice during the wait may have taken the record already.
        const bool bStillThere = FindConvByHandle(hConv) >= 0;
        const bool bGone = PartnerGone(nError) || !bStillThere;
        if (bGone && bStillThere) DropConversation(FindConvByHandle(hConv));
        // Only a conversation that served before may be tried again: the partner went away since
        // the last call. Connect anew (starting it) and send once more.
        if (!bGone || !bReused || nTry > 0) {
            SetResult(303, strError);
            return FALSE;
        }
        if (!(hConv = OpenConversation(regInfo, nVerb, pszDocument))) return FALSE;
    }
    SetResult(0, "");
    return TRUE;
}

HCONV CDdeIntfc::LiveConversation(const char* pszKey) {
    const int i = FindConvInfo(pszKey);
    if (i < 0) return nullptr;
    // A partner that quit may have left no notice: reuse only a live conversation.
    const HCONV hConv = m_convList[i]->GetConv();
    CONVINFO ci = {};
    ci.cb = sizeof ci;
    if (m_pDde->QueryConvInfo(hConv, &ci) && (ci.wStatus & ST_CONNECTED)) return hConv;
    const int j = FindConvByHandle(hConv);
    if (j >= 0) DropConversation(j);
    return nullptr;
}

void CDdeIntfc::DropConversation(int i) {
    // Out of the list before the disconnect, which may call back into it.
    std::unique_ptr<CConvInfo> conv = std::move(m_convList[i]);
    m_convList.erase(m_convList.begin() + i);
    m_pDde->Disconnect(conv->GetConv());
    if (!m_convList.empty()) return;
    // Wine's library no longer reaches any server from an instance whose partner vanished;
    // with no conversation left to keep, the next connect gets a fresh one.
    EndDde();
}

HCONV CDdeIntfc::OpenConversation(CRegInfo& regInfo, int nVerb, const char* pszDocument) {
    CString strError;
    if (!InitDde(strError)) {  // renewed when the last conversation was dropped
        SetResult(300, strError);
        return nullptr;
    }
    auto conv = std::make_unique<CConvInfo>();
    conv->SetKey(regInfo.GetKey());
    conv->SetService(regInfo.GetApplication(nVerb));
    conv->SetTopic(regInfo.GetTopic(nVerb));
    UINT nError = 0;
    if (!Connect(*conv, strError, nError)) {
        if (nError != DMLERR_NO_CONV_ESTABLISHED) {
            SetResult(302, strError);
            return nullptr;
        }
        // Nobody answers: start the application and give it time to start serving.
        if (!StartApplication(pszDocument, regInfo.GetCommand(nVerb))) {
            SetResult(301, strError);
            return nullptr;
        }
        bool bConnected = false;
        for (int nTry = 0; nTry < kConnectTries && !bConnected; ++nTry) {
            ::Sleep(kConnectWaitMs);
            if (Connect(*conv, strError, nError)) bConnected = true;
            else if (nError != DMLERR_NO_CONV_ESTABLISHED) {
                SetResult(302, strError);
                return nullptr;
            }
        }
        if (!bConnected) {
            // Not kept: the next call for the key starts over.
            SetResult(301, strError);
            return nullptr;
        }
    }
    const HCONV hConv = conv->GetConv();
    m_convList.push_back(std::move(conv));
    return hConv;
}

void CDdeIntfc::EndDde() {
    // Taken out first: ending a conversation may call back into the list.
    std::vector<std::unique_ptr<CConvInfo>> convs;
    convs.swap(m_convList);
    for (const auto& conv : convs)
        if (conv->GetConv()) m_pDde->Disconnect(conv->GetConv());
    convs.clear();
    t_ddeObjects.erase(std::remove(t_ddeObjects.begin(), t_ddeObjects.end(), this), t_ddeObjects.end());
    if (m_idInst != 0) {
        m_pDde->Uninitialize(m_idInst);
        m_idInst = 0;
    }
}
