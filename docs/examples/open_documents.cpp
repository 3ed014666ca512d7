// Opens documents through DORVIK.DDEINTFC from C++, with late binding through IDispatch.
// Usage: open_documents KEY VERB DOCUMENT [DOCUMENT...]
// Build (mingw-w64): x86_64-w64-mingw32-g++ open_documents.cpp -o open_documents.exe -lole32 -loleaut32 -luuid
#include <windows.h>
#include <oleauto.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {
std::wstring Wide(const char* s) {
    int n = ::MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring w(n, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
    w.resize(n - 1);
    return w;
}

// A member of the object, called by name; arguments are given in order.
HRESULT Call(IDispatch* p, const wchar_t* name, WORD flags, std::vector<VARIANT> args, VARIANT* result) {
    DISPID id;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    HRESULT hr = p->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());  // Invoke takes them last first
    DISPPARAMS dp = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return p->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, result, nullptr, nullptr);
}

VARIANT Text(const std::wstring& s) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(s.c_str());
    return v;
}

// errorCode and errorDesc after a FALSE.
void PrintError(IDispatch* p, const char* what) {
    VARIANT code, desc;
    ::VariantInit(&code);
    ::VariantInit(&desc);
    Call(p, L"errorCode", DISPATCH_PROPERTYGET, {}, &code);
    Call(p, L"errorDesc", DISPATCH_PROPERTYGET, {}, &desc);
    std::printf("%s failed: %d %ls\n", what, code.iVal, desc.vt == VT_BSTR ? desc.bstrVal : L"");
    ::VariantClear(&desc);
}

bool IsTrue(HRESULT hr, const VARIANT& v) { return SUCCEEDED(hr) && v.vt == VT_BOOL && v.boolVal != VARIANT_FALSE; }
}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::printf("usage: open_documents KEY VERB DOCUMENT [DOCUMENT...]\n");
        return 2;
    }
    ::CoInitialize(nullptr);
    CLSID clsid;
    IDispatch* dvk = nullptr;
    if (FAILED(::CLSIDFromProgID(L"DORVIK.DDEINTFC", &clsid)) ||
        FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&dvk)))) {
        std::printf("DORVIK.DDEINTFC is not registered\n");
        return 1;
    }
    const std::wstring key = Wide(argv[1]), verb = Wide(argv[2]);
    int status = 0;
    VARIANT r;
    ::VariantInit(&r);
    std::vector<VARIANT> args = {Text(key), Text(verb)};
    HRESULT hr = Call(dvk, L"setOperationInfo", DISPATCH_METHOD, args, &r);
    for (VARIANT& a : args) ::VariantClear(&a);
    if (!IsTrue(hr, r)) {
        PrintError(dvk, "setOperationInfo");
        status = 1;
    }
    for (int i = 3; i < argc && status == 0; ++i) {
        args = {Text(key), Text(verb), Text(Wide(argv[i]))};
        hr = Call(dvk, L"doOperation", DISPATCH_METHOD, args, &r);
        for (VARIANT& a : args) ::VariantClear(&a);
        if (IsTrue(hr, r)) std::printf("opened %s\n", argv[i]);
        else {
            PrintError(dvk, "doOperation");
            status = 1;
        }
    }
    // The name comes back through a by-reference first argument.
    BSTR name = ::SysAllocString(L"");
    VARIANT byRef, unused = Text(L"");
    ::VariantInit(&byRef);
    byRef.vt = VT_BYREF | VT_BSTR;
    byRef.pbstrVal = &name;
    hr = Call(dvk, L"getUserName", DISPATCH_METHOD, {byRef, unused}, &r);
    if (IsTrue(hr, r)) std::printf("network user: %ls\n", name);
    else PrintError(dvk, "getUserName");
    ::SysFreeString(name);
    ::VariantClear(&unused);
    Call(dvk, L"uninitialize", DISPATCH_METHOD, {}, nullptr);
    dvk->Release();
    ::CoUninitialize();
    return status;
}
