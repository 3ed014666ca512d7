// COleObjectFactory: the class factory of a creatable CCmdTarget, its registration with OLE
// and in the registry; and the lock count that keeps a local server running.
#pragma once
#include "CmdTarget.h"

class COleObjectFactory {
public:
    // Not multi-instance: one process serves every object (REGCLS_MULTIPLEUSE). A class with a
    // type library names it, so the registration binds the two.
    COleObjectFactory(REFCLSID clsid, const CRuntimeClass* pRuntimeClass, BOOL bMultiInstance, const char* lpszProgID,
                      const GUID* pTypeLibID = nullptr, WORD wVerMajor = 0, WORD wVerMinor = 0);
    virtual ~COleObjectFactory();
    COleObjectFactory(const COleObjectFactory&) = delete;
    COleObjectFactory& operator=(const COleObjectFactory&) = delete;

    BOOL Register();  // with OLE, as a running local server
    void Revoke();
    BOOL IsRegistered() const { return m_dwRegister != 0; }
    // The class's registration: ProgID and CLSID keys, LocalServer32 = this executable's short
    // path, then the CLSID's TypeLib and Version. Unregistering removes the ProgID and CLSID keys
    // only when LocalServer32 names this executable: another copy's registration stays. TRUE
    // when the registration is written, or gone (or never there, or another copy's).
    BOOL UpdateRegistry(BOOL bRegister = TRUE);
    REFCLSID GetClassID() const { return m_clsid; }
    // Each object made for a client gets a single-threaded apartment (a thread with its own
    // message loop) of its own, which ends with the object; the client receives a reference
    // to it there. Calls on one object then never wait for another object's work.
    void SetApartmentPerObject(BOOL bApartmentPerObject) { m_bApartmentPerObject = bApartmentPerObject; }

    static BOOL RegisterAll();
    static void RevokeAll();
    static BOOL UpdateRegistryAll(BOOL bRegister = TRUE);

protected:
    // A new object with its creator's reference, or null.
    virtual CCmdTarget* OnCreateObject();

private:
    // A new object on an apartment thread of its own, handed back through a marshaled reference.
    HRESULT CreateInOwnApartment(REFIID riid, void** ppvObject);
    static DWORD WINAPI ApartmentThread(void* pStart);

    struct XClassFactory : IClassFactory {
        explicit XClassFactory(COleObjectFactory* pOwner) : m_pOwner(pOwner) {}
        COleObjectFactory* m_pOwner;
        STDMETHODIMP QueryInterface(REFIID iid, void** ppvObj) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override;
        STDMETHODIMP LockServer(BOOL fLock) override;
    } m_xClassFactory;

    CLSID m_clsid;
    const CRuntimeClass* m_pRuntimeClass;
    BOOL m_bMultiInstance;
    BOOL m_bApartmentPerObject = FALSE;
    CString m_strProgID;
    GUID m_typeLibID;
    WORD m_wVerMajor, m_wVerMinor;
    bool m_bTypeLib;
    DWORD m_dwRegister = 0;
    LONG m_dwRef = 0;  // the factory is static: references are counted but never free it
    COleObjectFactory* m_pNextFactory;
};

// Whether a person started the application (then it keeps running when the last object goes).
void AfxOleSetUserCtrl(BOOL bUserCtrl);
BOOL AfxOleGetUserCtrl();
// Every live object and every LockServer lock holds the server process; when the last one goes
// and the application is not under user control, the message loop ends.
void AfxOleLockApp();
void AfxOleUnlockApp();
// True once the server has begun to end: no new objects are handed out.
BOOL AfxOleServerStopping();
// From now on a server not under user control ends by itself when it holds no lock (no
// object, no LockServer): dwIdleMs after it started, as local servers do when started for a
// client that never comes, or dwAfterLastMs after its last lock went. That short grace serves
// a client whose activation started this server but which another client's quick visit came
// before: without it the server would be gone when that client connects. Call on the main thread.
void AfxOleEndWhenIdle(DWORD dwIdleMs, DWORD dwAfterLastMs);

// The registry form of a class identifier: upper-case hexadecimal in braces.
CString AfxStringFromCLSID(REFCLSID clsid);

// This executable's full path.
CString AfxGetModuleFileName();
// Whether a command line as LocalServer32 or a type library's registration holds it (a path,
// quoted or not, with or without switches behind it) names this executable's file.
BOOL AfxIsThisProgram(const char* pszCommand);
// HKEY_CLASSES_ROOT\pszKey's default value: ERROR_SUCCESS, an error of the registry, or
// ERROR_INVALID_DATA when it is not a string.
LONG AfxRegQueryDefault(const char* pszKey, CString& value);
