#include "OleFactory.h"
#include "Scoped.h"
#include <new>
#include <string>
#include <vector>

namespace {
COleObjectFactory*& FirstFactory() {
    static COleObjectFactory* first = nullptr;
    return first;
}
BOOL g_bUserCtrl = TRUE;
BOOL g_bStopping = FALSE;

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

bool DeleteTree(const char* pszKey) {
    LONG r = ::RegDeleteTreeA(HKEY_CLASSES_ROOT, pszKey);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

// This executable's path, whatever its length, in its short (8.3) form when the system has one.
CString ServerPath() {
    const CString path = AfxGetModuleFileName();
    if (path.IsEmpty()) return path;
    DWORD need = ::GetShortPathNameA(path, nullptr, 0);
    if (need == 0) return path;
    CString shortPath;
    DWORD n = ::GetShortPathNameA(path, shortPath.GetBuffer(static_cast<int>(need)), need);
    shortPath.ReleaseBuffer(n < need ? static_cast<int>(n) : 0);
    return n == 0 || n >= need ? path : shortPath;
}

// The file's identity: two names of one file (long and short, any case) give the same.
bool FileIdentity(const char* pszPath, BY_HANDLE_FILE_INFORMATION& info) {
    CHandle h(::CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return h.IsValid() && ::GetFileInformationByHandle(h, &info);
}
}  // namespace

CString AfxGetModuleFileName() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return CString();
        if (n < path.size()) return CString(path.data());
        path.resize(path.size() * 2);
    }
}

BOOL AfxIsThisProgram(const char* pszCommand) {
    BY_HANDLE_FILE_INFORMATION self, other;
    if (!FileIdentity(AfxGetModuleFileName(), self)) return FALSE;
    const std::string command = pszCommand;
    std::vector<std::string> paths;
    if (!command.empty() && command[0] == '"') {
        paths.push_back(command.substr(1, command.find('"', 1) - 1));
    } else {
        paths.push_back(command);
        // A path without quotes may hold blanks; switches behind it start with a blank and - or /.
        for (std::string::size_type i = command.find(' '); i != std::string::npos; i = command.find(' ', i + 1))
            if (i + 1 < command.size() && (command[i + 1] == '-' || command[i + 1] == '/')) {
                paths.push_back(command.substr(0, i));
                break;
            }
    }
    for (const std::string& path : paths)
        if (FileIdentity(path.c_str(), other) && other.dwVolumeSerialNumber == self.dwVolumeSerialNumber &&
            other.nFileIndexHigh == self.nFileIndexHigh && other.nFileIndexLow == self.nFileIndexLow)
            return TRUE;
    return FALSE;
}

LONG AfxRegQueryDefault(const char* pszKey, CString& value) {
    CRegKey key;
    LONG r = ::RegOpenKeyExA(HKEY_CLASSES_ROOT, pszKey, 0, KEY_QUERY_VALUE, &key);
    if (r != ERROR_SUCCESS) return r;
    std::vector<char> data(MAX_PATH);
    for (;;) {
        DWORD type = 0, size = static_cast<DWORD>(data.size() - 1);
        r = ::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (r == ERROR_MORE_DATA) {
            data.resize(size + 2);
            continue;
        }
        if (r != ERROR_SUCCESS) return r;
        if (type != REG_SZ) return ERROR_INVALID_DATA;
        data[size] = '\0';  // a stored value need not end in one
        value = data.data();
        return ERROR_SUCCESS;
    }
}

COleObjectFactory::COleObjectFactory(REFCLSID clsid, const CRuntimeClass* pRuntimeClass, BOOL bMultiInstance,
                                     const char* lpszProgID, const GUID* pTypeLibID, WORD wVerMajor, WORD wVerMinor)
    : m_xClassFactory(this), m_clsid(clsid), m_pRuntimeClass(pRuntimeClass), m_bMultiInstance(bMultiInstance),
      m_strProgID(lpszProgID), m_typeLibID(pTypeLibID ? *pTypeLibID : GUID_NULL), m_wVerMajor(wVerMajor),
      m_wVerMinor(wVerMinor), m_bTypeLib(pTypeLibID != nullptr), m_pNextFactory(FirstFactory()) {
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

BOOL COleObjectFactory::UpdateRegistryAll(BOOL bRegister) {
    BOOL bResult = TRUE;
    for (COleObjectFactory* p = FirstFactory(); p; p = p->m_pNextFactory)
        if (!p->UpdateRegistry(bRegister)) bResult = FALSE;
    return bResult;
}

BOOL COleObjectFactory::UpdateRegistry(BOOL bRegister) {
    const CString clsid = AfxStringFromCLSID(m_clsid);
    const CString clsidKey = "CLSID\\" + clsid;
    if (!bRegister) {
        CString server, progIdClsid;
        LONG r = AfxRegQueryDefault(clsidKey + "\\LocalServer32", server);
        if (r == ERROR_FILE_NOT_FOUND || r == ERROR_INVALID_DATA || (r == ERROR_SUCCESS && !AfxIsThisProgram(server)))
            return TRUE;  // never there, or another copy's
        if (r != ERROR_SUCCESS) return FALSE;
        // The ProgID goes with the class only while it still names it.
        r = AfxRegQueryDefault(m_strProgID + "\\CLSID", progIdClsid);
        if (r == ERROR_SUCCESS && progIdClsid.CompareNoCase(clsid) == 0 && !DeleteTree(m_strProgID)) return FALSE;
        return DeleteTree(clsidKey);
    }
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
    if (m_bTypeLib) {
        CString version;
        version.Format("%x.%x", m_wVerMajor, m_wVerMinor);  // as the TypeLib key spells it
        if (!SetDefaultValue(clsidKey + "\\TypeLib", AfxStringFromCLSID(m_typeLibID)) ||
            !SetDefaultValue(clsidKey + "\\Version", version))
            return FALSE;
    }
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
