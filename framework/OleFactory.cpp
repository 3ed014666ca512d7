#include "OleFactory.h"
#include <new>
#include <vector>

namespace {
COleObjectFactory*& FirstFactory() {
    static COleObjectFactory* first = nullptr;
    return first;
}
BOOL g_bUserCtrl = TRUE;
BOOL g_bStopping = FALSE;

class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() { if (m_h) ::RegCloseKey(m_h); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    HKEY* operator&() { return &m_h; }
    operator HKEY() const { return m_h; }

private:
    HKEY m_h = nullptr;
};

bool KeyExists(const char* pszKey) {
    CRegKey key;
    return ::RegOpenKeyExA(HKEY_CLASSES_ROOT, pszKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
}

bool SetDefaultValue(const char* pszKey, const CString& value) {
    CRegKey key;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, pszKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(static_cast<const char*>(value)),
                            static_cast<DWORD>(value.GetLength() + 1)) == ERROR_SUCCESS;
}

// This executable's path, whatever its length, in its short (8.3) form when the system has one.
CString ServerPath() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return CString();
        if (n < path.size()) break;
        path.resize(path.size() * 2);
    }
    DWORD need = ::GetShortPathNameA(path.data(), nullptr, 0);
    if (need == 0) return CString(path.data());
    CString shortPath;
    DWORD n = ::GetShortPathNameA(path.data(), shortPath.GetBuffer(static_cast<int>(need)), need);
    shortPath.ReleaseBuffer(n < need ? static_cast<int>(n) : 0);
    return n == 0 || n >= need ? CString(path.data()) : shortPath;
}
}  // namespace

COleObjectFactory::COleObjectFactory(REFCLSID clsid, const CRuntimeClass* pRuntimeClass, BOOL bMultiInstance,
                                     const char* lpszProgID)
    : m_xClassFactory(this), m_clsid(clsid), m_pRuntimeClass(pRuntimeClass), m_bMultiInstance(bMultiInstance),
      m_strProgID(lpszProgID), m_pNextFactory(FirstFactory()) {
    FirstFactory() = this;
}

COleObjectFactory::~COleObjectFactory() {
    Revoke();
    for (COleObjectFactory** pp = &FirstFactory(); *pp; pp = &(*pp)->m_pNextFactory) {
        if (*pp == this) {
            *pp = m_pNextFactory;
            break;
        }
    }
}

BOOL COleObjectFactory::Register() {
    if (m_dwRegister) return TRUE;
    HRESULT hr = ::CoRegisterClassObject(m_clsid, static_cast<IClassFactory*>(&m_xClassFactory), CLSCTX_LOCAL_SERVER,
                                         m_bMultiInstance ? REGCLS_SINGLEUSE : REGCLS_MULTIPLEUSE, &m_dwRegister);
    if (FAILED(hr)) m_dwRegister = 0;
    return SUCCEEDED(hr);
}

void COleObjectFactory::Revoke() {
    if (!m_dwRegister) return;
    ::CoRevokeClassObject(m_dwRegister);
    m_dwRegister = 0;
}

BOOL COleObjectFactory::RegisterAll() {
    BOOL bResult = TRUE;
    for (COleObjectFactory* p = FirstFactory(); p; p = p->m_pNextFactory)
        if (!p->Register()) bResult = FALSE;
    return bResult;
}

void COleObjectFactory::RevokeAll() {
    for (COleObjectFactory* p = FirstFactory(); p; p = p->m_pNextFactory) p->Revoke();
}

BOOL COleObjectFactory::UpdateRegistryAll() {
    BOOL bResult = TRUE;
    for (COleObjectFactory* p = FirstFactory(); p; p = p->m_pNextFactory)
        if (!p->UpdateRegistry()) bResult = FALSE;
    return bResult;
}

BOOL COleObjectFactory::UpdateRegistry() {
    const CString clsid = AfxStringFromCLSID(m_clsid);
    const CString clsidKey = "CLSID\\" + clsid;
    const CString server = ServerPath();
    if (server.IsEmpty()) return FALSE;
    struct Entry {
        CString key, value;
        bool onlyWhenNew;
    };
    // The type names stay as a user or an earlier version left them; the binding is rewritten.
    const Entry firstGroup[] = {
        {m_strProgID, m_strProgID, true},
        {clsidKey, m_strProgID, true},
    };
    const Entry secondGroup[] = {
        {m_strProgID + "\\CLSID", clsid, false},
        {clsidKey + "\\ProgID", m_strProgID, false},
        {clsidKey + "\\InprocHandler32", "ole32.dll", false},
        {clsidKey + "\\LocalServer32", server, false},
    };
    for (const Entry& e : firstGroup)
        if (!(e.onlyWhenNew && KeyExists(e.key)) && !SetDefaultValue(e.key, e.value)) return FALSE;
    for (const Entry& e : secondGroup)
        if (!SetDefaultValue(e.key, e.value)) return FALSE;
    return TRUE;
}

CCmdTarget* COleObjectFactory::OnCreateObject() {
    CObject* pObject = m_pRuntimeClass->CreateObject();
    if (pObject && !pObject->IsKindOf(RUNTIME_CLASS(CCmdTarget))) {
        delete pObject;
        return nullptr;
    }
    return static_cast<CCmdTarget*>(pObject);
}

STDMETHODIMP COleObjectFactory::XClassFactory::QueryInterface(REFIID iid, void** ppvObj) {
    if (!ppvObj) return E_POINTER;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IClassFactory)) {
        *ppvObj = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObj = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COleObjectFactory::XClassFactory::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_pOwner->m_dwRef));
}

STDMETHODIMP_(ULONG) COleObjectFactory::XClassFactory::Release() {
    return static_cast<ULONG>(::InterlockedDecrement(&m_pOwner->m_dwRef));
}

STDMETHODIMP COleObjectFactory::XClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    if (AfxOleServerStopping()) return CO_E_SERVER_STOPPING;
    try {
        CCmdTarget* pTarget = m_pOwner->OnCreateObject();
        if (!pTarget) return E_OUTOFMEMORY;
        HRESULT hr = pTarget->InternalQueryInterface(riid, ppvObject);
        pTarget->InternalRelease();  // the creator's reference; a failed query frees the object
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDMETHODIMP COleObjectFactory::XClassFactory::LockServer(BOOL fLock) {
    if (fLock)
        AfxOleLockApp();
    else
        AfxOleUnlockApp();
    return S_OK;
}

void AfxOleSetUserCtrl(BOOL bUserCtrl) { g_bUserCtrl = bUserCtrl; }
BOOL AfxOleGetUserCtrl() { return g_bUserCtrl; }
BOOL AfxOleServerStopping() { return g_bStopping; }

void AfxOleLockApp() { ::CoAddRefServerProcess(); }

void AfxOleUnlockApp() {
    // The platform's count also suspends the class objects when it reaches zero, so no new
    // activation reaches a server that is about to end.
    if (::CoReleaseServerProcess() == 0 && !g_bUserCtrl) {
        g_bStopping = TRUE;
        ::PostQuitMessage(0);
    }
}

CString AfxStringFromCLSID(REFCLSID clsid) {
    wchar_t wsz[40];
    int n = ::StringFromGUID2(clsid, wsz, 40);
    CString s;
    for (int i = 0; i + 1 < n; ++i) s += static_cast<char>(wsz[i]);
    return s;
}
