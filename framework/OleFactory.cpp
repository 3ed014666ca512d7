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
volatile LONG g_bStopping = FALSE;
volatile LONG g_nLocks = 0;
volatile LONG g_dwIdleSince = 0;  // tick count when the last lock went (or the server started)
volatile LONG g_bHadLock = FALSE;
DWORD g_dwMainThread = 0;         // whose message loop ends the server
DWORD g_dwIdleMs = 0, g_dwAfterLastMs = 0;
bool g_bEndWhenIdle = false;

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
    g_dwMainThread = ::GetCurrentThreadId();
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
    if (m_pOwner->m_bApartmentPerObject) return m_pOwner->CreateInOwnApartment(riid, ppvObject);
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

namespace {
struct ApartmentStart {
    COleObjectFactory* pFactory;
    IID iid;
    HANDLE hReady;
    IStream* pStream = nullptr;  // the object's marshaled reference
    HRESULT hr = E_UNEXPECTED;
};
}  // namespace

HRESULT COleObjectFactory::CreateInOwnApartment(REFIID riid, void** ppvObject) {
    ApartmentStart start{this, riid, ::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    if (!start.hReady) return E_OUTOFMEMORY;
    HANDLE hThread = ::CreateThread(nullptr, 0, ApartmentThread, &start, 0, nullptr);
    if (!hThread) {
        ::CloseHandle(start.hReady);
        return E_OUTOFMEMORY;
    }
    // The new apartment needs nothing of this one to make and marshal its object.
    ::WaitForSingleObject(start.hReady, INFINITE);
    ::CloseHandle(start.hReady);
    ::CloseHandle(hThread);  // it ends with its object
    if (FAILED(start.hr)) return start.hr;
    // A proxy here; handed to the client, it is marshaled as a reference to the object itself,
    // so the client's calls go straight to the object's apartment.
    return ::CoGetInterfaceAndReleaseStream(start.pStream, riid, ppvObject);
}

DWORD WINAPI COleObjectFactory::ApartmentThread(void* pStart) {
    ApartmentStart& start = *static_cast<ApartmentStart*>(pStart);
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) {
        start.hr = hr;
        ::SetEvent(start.hReady);
        return 1;
    }
    AfxOleEndApartmentWithObject();
    try {
        CCmdTarget* pTarget = start.pFactory->OnCreateObject();
        if (!pTarget) {
            hr = E_OUTOFMEMORY;
        } else {
            IUnknown* pUnk = nullptr;
            hr = pTarget->InternalQueryInterface(start.iid, reinterpret_cast<void**>(&pUnk));
            if (SUCCEEDED(hr)) {
                hr = ::CoMarshalInterThreadInterfaceInStream(start.iid, pUnk, &start.pStream);
                pUnk->Release();
            }
            pTarget->InternalRelease();  // the creator's reference; the marshaled one keeps it
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    start.hr = hr;
    ::SetEvent(start.hReady);  // start is the creator's: not touched after this
    if (SUCCEEDED(hr)) {
        // Serves the object's calls until its final release ends the loop.
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    ::CoUninitialize();
    return 0;
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
BOOL AfxOleServerStopping() { return ::InterlockedCompareExchange(&g_bStopping, 0, 0); }

namespace {
// Ends the main message loop, from whichever thread the last lock went on.
void EndServer() {
    ::InterlockedExchange(&g_bStopping, TRUE);
    if (g_dwMainThread) ::PostThreadMessageA(g_dwMainThread, WM_QUIT, 0, 0);
    else ::PostQuitMessage(0);
}

void CALLBACK IdleTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (::InterlockedCompareExchange(&g_nLocks, 0, 0) != 0 || AfxOleServerStopping()) return;
    const DWORD dwWait = ::InterlockedCompareExchange(&g_bHadLock, 0, 0) && !g_bUserCtrl ? g_dwAfterLastMs : g_dwIdleMs;
    if (::GetTickCount() - static_cast<DWORD>(g_dwIdleSince) < dwWait) return;
    // Nobody can be handed an object any more before the loop ends.
    ::CoSuspendClassObjects();
    if (::InterlockedCompareExchange(&g_nLocks, 0, 0) != 0) {
        ::CoResumeClassObjects();  // an object came after all
        return;
    }
    EndServer();
}
}  // namespace

void AfxOleEndWhenIdle(DWORD dwIdleMs, DWORD dwAfterLastMs) {
    g_dwIdleMs = dwIdleMs;
    g_dwAfterLastMs = dwAfterLastMs;
    g_bEndWhenIdle = true;
    ::InterlockedExchange(&g_dwIdleSince, static_cast<LONG>(::GetTickCount()));
    ::SetTimer(nullptr, 0, 250, IdleTimer);
}

void AfxOleLockApp() {
    ::InterlockedIncrement(&g_nLocks);
    ::InterlockedExchange(&g_bHadLock, TRUE);
    ::CoAddRefServerProcess();
}

void AfxOleUnlockApp() {
    if (::InterlockedDecrement(&g_nLocks) == 0) ::InterlockedExchange(&g_dwIdleSince, static_cast<LONG>(::GetTickCount()));
    // The platform's count also suspends the class objects when it reaches zero, so no new
    // activation reaches a server that is about to end.
    if (::CoReleaseServerProcess() == 0 && !g_bUserCtrl && !g_bEndWhenIdle) EndServer();
}

CString AfxStringFromCLSID(REFCLSID clsid) {
    wchar_t wsz[40];
    int n = ::StringFromGUID2(clsid, wsz, 40);
    CString s;
    for (int i = 0; i + 1 < n; ++i) s += static_cast<char>(wsz[i]);
    return s;
}
