// A C++ client of the registered dorvik.exe, for what script clients cannot see: the error
// HRESULTs of bad calls, and when the server process ends.
//   dorvik_client errors     bad calls get their HRESULTs across the process boundary
//   dorvik_client lifetime   one server serves every object and ends after the last one
//   dorvik_client gone       waits until no dorvik.exe runs (after another client's last release)
//   dorvik_client volatile KEY   creates HKCR\KEY as a volatile key, under which no lasting key can be made
// Prints one line per check; exit code 0 when all passed.
#include <windows.h>
#include <oleauto.h>
#include <tlhelp32.h>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
int g_failures = 0;

void Check(bool ok, const char* what, long got = 0) {
    std::printf("%s %s", ok ? "ok  " : "FAIL", what);
    if (!ok) std::printf(" (got 0x%08lX)", static_cast<unsigned long>(got));
    std::printf("\n");
    std::fflush(stdout);
    if (!ok) ++g_failures;
}

int ServerProcesses() {
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32 pe;
    pe.dwSize = sizeof pe;
    int n = 0;
    for (BOOL more = ::Process32First(snap, &pe); more; more = ::Process32Next(snap, &pe))
        if (::lstrcmpiA(pe.szExeFile, "dorvik.exe") == 0) ++n;
    ::CloseHandle(snap);
    return n;
}

bool WaitForServerCount(int wanted, DWORD ms) {
    for (DWORD waited = 0;; waited += 50) {
        if (ServerProcesses() == wanted) return true;
        if (waited >= ms) return false;
        ::Sleep(50);
    }
}

CLSID ServerClsid() {
    CLSID clsid = CLSID_NULL;
    HRESULT hr = ::CLSIDFromProgID(L"DORVIK.DDEINTFC", &clsid);
    Check(SUCCEEDED(hr), "ProgID DORVIK.DDEINTFC names a class", hr);
    return clsid;
}

IDispatch* Create() {
    IDispatch* p = nullptr;
    HRESULT hr = ::CoCreateInstance(ServerClsid(), nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&p));
    Check(SUCCEEDED(hr) && p, "object created in the local server", hr);
    return SUCCEEDED(hr) ? p : nullptr;
}

HRESULT Invoke(IDispatch* p, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result, UINT* argErr) {
    std::vector<VARIANT> rev(args.rbegin(), args.rend());
    DISPID put = DISPID_PROPERTYPUT;
    bool isPut = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS dp = {rev.data(), isPut ? &put : nullptr, static_cast<UINT>(rev.size()), isPut ? 1u : 0u};
    ::VariantInit(result);
    HRESULT hr = p->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, result, nullptr, argErr);
    for (VARIANT& v : args) ::VariantClear(&v);
    return hr;
}

VARIANT Str(const wchar_t* s) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(s);
    return v;
}

int Errors() {
    IDispatch* p = Create();
    if (!p) return 1;
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"noSuchMember");
    HRESULT hr = p->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    Check(hr == DISP_E_UNKNOWNNAME && id == DISPID_UNKNOWN, "an unknown name gives DISP_E_UNKNOWNNAME", hr);
    name = const_cast<LPOLESTR>(L"SetOperationINFO");
    hr = p->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    Check(hr == S_OK && id == 4, "setOperationInfo in mixed case is DISPID 4", hr);

    VARIANT r;
    UINT argErr = 99;
    hr = Invoke(p, 4, DISPATCH_METHOD, {Str(L".txt")}, &r, &argErr);
    Check(hr == DISP_E_BADPARAMCOUNT, "one argument for two gives DISP_E_BADPARAMCOUNT", hr);
    hr = Invoke(p, 7, DISPATCH_METHOD, {Str(L"x")}, &r, &argErr);
    Check(hr == DISP_E_BADPARAMCOUNT, "an argument for uninitialize gives DISP_E_BADPARAMCOUNT", hr);
    hr = Invoke(p, 42, DISPATCH_METHOD, {}, &r, &argErr);
    Check(hr == DISP_E_MEMBERNOTFOUND, "DISPID 42 gives DISP_E_MEMBERNOTFOUND", hr);

    VARIANT nullArg;
    nullArg.vt = VT_NULL;
    argErr = 99;
    hr = Invoke(p, 4, DISPATCH_METHOD, {nullArg, Str(L"open")}, &r, &argErr);
    Check(hr == DISP_E_TYPEMISMATCH && argErr == 1, "a Null key gives DISP_E_TYPEMISMATCH at rgvarg 1", hr);
    argErr = 99;
    hr = Invoke(p, 2, DISPATCH_PROPERTYPUT, {Str(L"many")}, &r, &argErr);
    Check(hr == DISP_E_TYPEMISMATCH && argErr == 0, "errorCode = \"many\" gives DISP_E_TYPEMISMATCH", hr);

    // The object still works after refused calls.
    hr = Invoke(p, 4, DISPATCH_METHOD, {Str(L".dvkmissing"), Str(L"open")}, &r, &argErr);
    Check(hr == S_OK && r.vt == VT_BOOL && r.boolVal == VARIANT_FALSE, "setOperationInfo answers FALSE afterwards", hr);
    hr = Invoke(p, 2, DISPATCH_PROPERTYGET, {}, &r, &argErr);
    Check(hr == S_OK && r.vt == VT_I2 && r.iVal == 201, "errorCode is a 16-bit 201", hr);
    p->Release();
    return g_failures ? 1 : 0;
}

int Lifetime() {
    IDispatch* a = Create();
    IDispatch* b = Create();
    if (!a || !b) return 1;
    Check(ServerProcesses() == 1, "one server process serves both objects", ServerProcesses());
    a->Release();
    VARIANT r;
    UINT argErr = 0;
    HRESULT hr = Invoke(b, 2, DISPATCH_PROPERTYGET, {}, &r, &argErr);
    Check(hr == S_OK, "the second object answers after the first is released", hr);
    Check(ServerProcesses() == 1, "the server runs while an object lives", ServerProcesses());

    // (A client's LockServer is answered by Wine's own class-factory proxy, with E_NOTIMPL.)
    b->Release();
    Check(WaitForServerCount(0, 10000), "the server ends after the last object goes", ServerProcesses());
    return g_failures ? 1 : 0;
}
}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "gone") == 0) {
        Check(WaitForServerCount(0, 10000), "no dorvik.exe runs any more", ServerProcesses());
        return g_failures ? 1 : 0;
    }
    if (std::strcmp(mode, "volatile") == 0 && argc > 2) {
        HKEY h = nullptr;
        LONG r = ::RegCreateKeyExA(HKEY_CLASSES_ROOT, argv[2], 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &h, nullptr);
        Check(r == ERROR_SUCCESS, "volatile key created", r);
        if (h) ::RegCloseKey(h);
        return g_failures ? 1 : 0;
    }
    if (FAILED(::CoInitialize(nullptr))) return 2;
    int rc = 2;
    if (std::strcmp(mode, "errors") == 0) rc = Errors();
    else if (std::strcmp(mode, "lifetime") == 0) rc = Lifetime();
    else std::fprintf(stderr, "usage: dorvik_client errors|lifetime|gone|volatile KEY\n");
    ::CoUninitialize();
    return rc;
}
