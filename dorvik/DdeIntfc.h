// CDdeIntfc: the automation object "DORVIK.DDEINTFC". A client names a key (a file-name
// extension) and a verb; the object reads the key's association once and carries the verb
// out on documents. Every method but uninitialize returns a Boolean and records the outcome
// in errorCode and errorDesc.
#pragma once
#include "../framework/CmdTarget.h"
#include "ConvInfo.h"
#include "DdeLibrary.h"
#include "RegInfo.h"
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

// The dispatch interface's own identifier, and the type library (dorvik.idl) that describes it.
extern const IID IID_IDdeIntfc;
extern const GUID LIBID_Dorvik;
const WORD kDorvikLibMajor = 1, kDorvikLibMinor = 0;

class CDdeIntfc : public CCmdTarget {
    DECLARE_DYNCREATE(CDdeIntfc)
public:
    CDdeIntfc();
    ~CDdeIntfc() override;
    void OnFinalRelease() override;

    // Automation members, in DISPID order after the two properties.
    BOOL getUserName(CString& strUserName, const char* pszUnused);
    // Texts that the system code page cannot carry exactly are refused (kNotRepresentable).
    BOOL setOperationInfo(const CNarrowArg& key, const CNarrowArg& verb);
    BOOL doOperation(const CNarrowArg& key, const CNarrowArg& verb, const CNarrowArg& document);
    BOOL setOpInfo(const CNarrowArg& key, const CNarrowArg& verb, const CNarrowArg& application, const CNarrowArg& topic,
                   BOOL bUnused, const CNarrowArg& ddeCommand, const CNarrowArg& ifExec, const CNarrowArg& commandLine);
    void uninitialize();

    short GetErrorCode() const { return m_errorCode; }
    const CString& GetErrorDesc() const { return m_errorDesc; }
    // The cached association of a key (compared with case), or null.
    CRegInfo* FindRegInfo(const char* pszKey) const;
    // The DDE client: each writes its failure text into strError.
    BOOL InitDde(CString& strError);
    BOOL Connect(CConvInfo& conv, CString& strError, UINT& nError);
    // Sends the command with the document in place of every "%1"; nError is the library's code.
    BOOL Execute(CConvInfo& conv, const char* pszDdeCommand, const char* pszDocument, CString& strError, UINT& nError);
    UINT GetLastErrorText(CString& strError);
    // Index in the conversation list, or -1.
    int FindConvInfo(const char* pszKey) const;
    int FindConvByHandle(HCONV hConv) const;
    const CConvInfo& GetConvInfo(int i) const { return *m_convList[i]; }
    void RemoveConv(HCONV hConv);
    // The DDE library this object calls (the system's unless a test puts another in place).
    void SetDdeLibrary(IDdeLibrary& dde);
    static HDDEDATA CALLBACK DdeCallback(UINT uType, UINT uFmt, HCONV hConv, HSZ hsz1, HSZ hsz2, HDDEDATA hData,
                                         ULONG_PTR dwData1, ULONG_PTR dwData2);

    // A key, verb, document or other text that the narrow interfaces cannot carry: passed on,
    // it would name another file (with "?" for the lost characters).
    static constexpr short kNotRepresentable = 400;
    // A call that reaches the object while it waits on DDE for another call of its own (another
    // holder of the same object, served from inside the library's wait): refused, as it could
    // change what the waiting call is using. uninitialize is put off until the wait is over.
    static constexpr short kBusy = 101;

    // Records an outcome in errorCode and errorDesc.
    void SetResult(short nCode, const char* pszDesc) {
        m_errorCode = nCode;
        m_errorDesc = pszDesc;
    }

protected:
    void OnErrorDescChanged() {}
    void OnErrorCodeChanged() {}

    // Refuses the call (kBusy) while another call of this object waits on DDE.
    BOOL CheckNotBusy();
    // Refuses the call (kNotRepresentable, naming the first such text) unless every text is exact.
    BOOL CheckExact(std::initializer_list<std::pair<const CNarrowArg*, const char*>> texts);
    // Starts the verb's application with the document, without waiting for it.
    BOOL StartApplication(const char* pszDocument, const char* pszCommandLine);
    // A verb with a ddeexec key: the DDE conversation carries it out (sets the outcome itself).
    BOOL DoDdeOperation(CRegInfo& regInfo, int nVerb, const char* pszDocument);
    // Ends the conversations and the DDE instance.
    void EndDde();
    // Connects a new conversation for the key, starting the application when nobody answers,
    // and lists it. Null on failure, with the outcome set.
    HCONV OpenConversation(CRegInfo& regInfo, int nVerb, const char* pszDocument);
    // The key's conversation when its partner is still there; a dead one is dropped.
    HCONV LiveConversation(const char* pszKey);
    // Ends and forgets a conversation whose partner has gone.
    void DropConversation(int i);

    IDdeLibrary* m_pDde = &RealDdeLibrary();
    DWORD m_idInst = 0;  // DDE instance; 0 while not initialised
    std::vector<std::unique_ptr<CConvInfo>> m_convList;  // at most one per key
    std::vector<std::unique_ptr<CRegInfo>> m_regList;
    CString m_errorDesc;
    short m_errorCode = 0;
    int m_nBusy = 0;                    // calls of this object now waiting on DDE
    bool m_bUninitializeDue = false;    // asked for while busy

    BOOL GetDispatchIID(IID* pIID) override {
        *pIID = IID_IDdeIntfc;
        return TRUE;
    }

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()
    DECLARE_OLETYPELIB(CDdeIntfc)
};

// The most recently constructed object of this thread; null once that object is gone. The
// DDE callback finds the owner of a conversation among all of the thread's objects instead.
extern thread_local CDdeIntfc* g_pDdeIntfc;
