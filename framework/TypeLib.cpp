#include "TypeLib.h"
#include "CmdTarget.h"
#include "OleFactory.h"
#include "Scoped.h"
#include <string>
#include <vector>

namespace {
std::wstring ModulePath(HINSTANCE hInstance) {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameW(hInstance, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) return std::wstring(path.data(), n);
        path.resize(path.size() * 2);
    }
}

// The type library that the module at path carries, when it is tlid (of the version, unless wVerMajor is 0).
HRESULT LoadModuleTypeLib(const std::wstring& path, REFGUID tlid, WORD wVerMajor, WORD wVerMinor, ITypeLib** ppTypeLib) {
    *ppTypeLib = nullptr;
    if (path.empty()) return TYPE_E_CANTLOADLIBRARY;
    CComPtr<ITypeLib> lib;
    HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib);
    if (FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    hr = lib->GetLibAttr(&attr);
    if (FAILED(hr)) return hr;
    const bool matches = ::IsEqualGUID(attr->guid, tlid) &&
                         (wVerMajor == 0 || (attr->wMajorVerNum == wVerMajor && attr->wMinorVerNum == wVerMinor));
    lib->ReleaseTLibAttr(attr);
    if (!matches) return TYPE_E_LIBNOTREGISTERED;
    *ppTypeLib = lib.Detach();
    return S_OK;
}

const SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
}  // namespace

HRESULT AfxLoadTypeLib(REFGUID tlid, WORD wVerMajor, WORD wVerMinor, ITypeLib** ppTypeLib) {
    if (!ppTypeLib) return E_POINTER;
    HRESULT hr = LoadModuleTypeLib(ModulePath(nullptr), tlid, wVerMajor, wVerMinor, ppTypeLib);
    if (SUCCEEDED(hr)) return hr;
    return ::LoadRegTypeLib(tlid, wVerMajor, wVerMinor, LOCALE_NEUTRAL, ppTypeLib);
}

BOOL AfxOleRegisterTypeLib(HINSTANCE hInstance, REFGUID tlid) {
    const std::wstring path = ModulePath(hInstance);
    CComPtr<ITypeLib> lib;
    if (FAILED(LoadModuleTypeLib(path, tlid, 0, 0, &lib))) return FALSE;
    return SUCCEEDED(::RegisterTypeLib(lib, const_cast<LPOLESTR>(path.c_str()), nullptr));
}

BOOL AfxOleUnregisterTypeLib(REFGUID tlid, WORD wVerMajor, WORD wVerMinor) {
    CString key;
    key.Format("TypeLib\\%s\\%x.%x\\0\\%s", static_cast<const char*>(AfxStringFromCLSID(tlid)), wVerMajor, wVerMinor,
               kSysKind == SYS_WIN64 ? "win64" : "win32");
    CString path;
    LONG r = AfxRegQueryDefault(key, path);
    if (r == ERROR_FILE_NOT_FOUND || r == ERROR_INVALID_DATA || (r == ERROR_SUCCESS && !AfxIsThisProgram(path)))
        return TRUE;  // never there, or another copy's
    if (r != ERROR_SUCCESS) return FALSE;
    return SUCCEEDED(::UnRegisterTypeLib(tlid, wVerMajor, wVerMinor, 0, kSysKind));
}
