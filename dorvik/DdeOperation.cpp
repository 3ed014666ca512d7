// The DDE side of doOperation: verbs with a ddeexec key, carried out over one conversation
// per key with the application's DDE server, which is started when it does not answer.
#include "DdeIntfc.h"
#include "DdeText.h"
#include <algorithm>
#include <cstring>
#include <vector>

IMPLEMENT_DYNCREATE(CConvInfo, CObject)

namespace {
// Every object that holds a DDE instance: the callback has no context of its own, so a
// disconnect notice is routed to whichever object owns the conversation.
std::vector<CDdeIntfc*> g_ddeObjects;

constexpr int kConnectTries = 25;
constexpr DWORD kConnectWaitMs = 100;
constexpr DWORD kExecuteTimeoutMs = 20000;

// Codes of an execute that failed because the partner is gone, not because it said no.
bool PartnerGone(UINT nError) {
    return nError == DMLERR_POSTMSG_FAILED || nError == DMLERR_NO_CONV_ESTABLISHED || nError == DMLERR_SERVER_DIED;
}

class StringHandle {
public:
    StringHandle(DWORD idInst, const char* psz) : m_idInst(idInst), m_hsz(::DdeCreateStringHandleA(idInst, psz, CP_WINANSI)) {}
    ~StringHandle() { if (m_hsz) ::DdeFreeStringHandle(m_idInst, m_hsz); }
    StringHandle(const StringHandle&) = delete;
    StringHandle& operator=(const StringHandle&) = delete;
    HSZ get() const { return m_hsz; }

private:
    DWORD m_idInst;
    HSZ m_hsz;
};
}  // namespace

BOOL CDdeIntfc::InitDde(CString& strError) {
    if (m_idInst != 0) return TRUE;
    UINT result = ::DdeInitializeA(&m_idInst, DdeCallback, 0, 0);
    if (result != DMLERR_NO_ERROR) {
        m_idInst = 0;
        strError = DdeInitializeErrorText(result);
        return FALSE;
    }
    g_ddeObjects.push_back(this);
    return TRUE;
}

BOOL CDdeIntfc::Connect(CConvInfo& conv, CString& strError, UINT& nError) {
    nError = 0;
    StringHandle service(m_idInst, conv.GetService());
    if (!service.get()) {
        strError = "hszService";
        return FALSE;
    }
    StringHandle topic(m_idInst, conv.GetTopic());
    if (!topic.get()) {
        strError = "hszTopic";
        return FALSE;
    }
    HCONV hConv = ::DdeConnect(m_idInst, service.get(), topic.get(), nullptr);
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
    const CString command = ExpandDdeCommand(pszDdeCommand, pszDocument);
    // The library copies the text (its terminator included); the buffer stays ours and goes
    // with the string whatever the outcome.
    const DWORD cb = static_cast<DWORD>(command.GetLength() + 1);
    // That one browser answers late or never; its transaction is only handed over.
    const DWORD timeout = std::strcmp(conv.GetService(), "IExplore") == 0 ? TIMEOUT_ASYNC : kExecuteTimeoutMs;
    DWORD dwTransaction = 0;
    HDDEDATA hResult = ::DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(static_cast<const char*>(command))), cb,
                                              conv.GetConv(), nullptr, 0, XTYP_EXECUTE, timeout,
                                              timeout == TIMEOUT_ASYNC ? &dwTransaction : nullptr);
    if (!hResult) {
        nError = GetLastErrorText(strError);
        return FALSE;
    }
    return TRUE;
}

UINT CDdeIntfc::GetLastErrorText(CString& strError) {
    UINT nError = ::DdeGetLastError(m_idInst);
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
    if (uType == XTYP_DISCONNECT) {
        ::DdeDisconnect(hConv);
        for (CDdeIntfc* pObject : g_ddeObjects)
            if (pObject->FindConvByHandle(hConv) >= 0) pObject->RemoveConv(hConv);
    }
    return nullptr;
}

BOOL CDdeIntfc::DoDdeOperation(CRegInfo& regInfo, int nVerb, const char* pszDocument) {
    CString strError;
    if (!InitDde(strError)) {
        SetResult(300, strError);
        return FALSE;
    }
    const char* pszKey = regInfo.GetKey();
    bool bReused = false;
    int i = FindConvInfo(pszKey);
    if (i >= 0) {
        // A partner that quit may have left no notice: reuse only a live conversation.
        CONVINFO ci = {};
        ci.cb = sizeof ci;
        if (::DdeQueryConvInfo(m_convList[i]->GetConv(), QID_SYNC, &ci) && (ci.wStatus & ST_CONNECTED)) {
            bReused = true;
        } else {
            DropConversation(i);
            i = -1;
        }
    }
    if (i < 0) {
        if (!OpenConversation(regInfo, nVerb, pszDocument)) return FALSE;
        i = static_cast<int>(m_convList.size()) - 1;
    }

    UINT nError = 0;
    if (!Execute(*m_convList[i], regInfo.GetDdeCommand(nVerb), pszDocument, strError, nError)) {
        if (!bReused || !PartnerGone(nError)) {
            SetResult(303, strError);
            return FALSE;
        }
        // The partner went away since the last call: connect anew (starting it) and send once more.
        DropConversation(i);
        if (!OpenConversation(regInfo, nVerb, pszDocument)) return FALSE;
        if (!Execute(*m_convList.back(), regInfo.GetDdeCommand(nVerb), pszDocument, strError, nError)) {
            SetResult(303, strError);
            return FALSE;
        }
    }
    SetResult(0, "");
    return TRUE;
}

void CDdeIntfc::DropConversation(int i) {
    ::DdeDisconnect(m_convList[i]->GetConv());
    m_convList.erase(m_convList.begin() + i);
    if (!m_convList.empty()) return;
    // Wine's library no longer reaches any server from an instance whose partner vanished;
    // with no conversation left to keep, the next connect gets a fresh one.
    EndDde();
}

BOOL CDdeIntfc::OpenConversation(CRegInfo& regInfo, int nVerb, const char* pszDocument) {
    CString strError;
    if (!InitDde(strError)) {  // renewed when the last conversation was dropped
        SetResult(300, strError);
        return FALSE;
    }
    auto conv = std::make_unique<CConvInfo>();
    conv->SetKey(regInfo.GetKey());
    conv->SetService(regInfo.GetApplication(nVerb));
    conv->SetTopic(regInfo.GetTopic(nVerb));
    UINT nError = 0;
    if (!Connect(*conv, strError, nError)) {
        if (nError != DMLERR_NO_CONV_ESTABLISHED) {
            SetResult(302, strError);
            return FALSE;
        }
        // Nobody answers: start the application and give it time to start serving.
        if (!StartApplication(pszDocument, regInfo.GetCommand(nVerb))) {
            SetResult(301, strError);
            return FALSE;
        }
        bool bConnected = false;
        for (int nTry = 0; nTry < kConnectTries && !bConnected; ++nTry) {
            ::Sleep(kConnectWaitMs);
            if (Connect(*conv, strError, nError)) bConnected = true;
            else if (nError != DMLERR_NO_CONV_ESTABLISHED) {
                SetResult(302, strError);
                return FALSE;
            }
        }
        if (!bConnected) {
            // Not kept: the next call for the key starts over.
            SetResult(301, strError);
            return FALSE;
        }
    }
    m_convList.push_back(std::move(conv));
    return TRUE;
}

void CDdeIntfc::EndDde() {
    // Taken out first: ending a conversation may call back into the list.
    std::vector<std::unique_ptr<CConvInfo>> convs;
    convs.swap(m_convList);
    for (const auto& conv : convs)
        if (conv->GetConv()) ::DdeDisconnect(conv->GetConv());
    convs.clear();
    g_ddeObjects.erase(std::remove(g_ddeObjects.begin(), g_ddeObjects.end(), this), g_ddeObjects.end());
    if (m_idInst != 0) {
        ::DdeUninitialize(m_idInst);
        m_idInst = 0;
    }
}
