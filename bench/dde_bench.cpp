// Opens N documents of one type in a running DDE application three ways, in one run:
//   (a) through dorvik's doOperation, called from this client over COM;
//   (b) through ShellExecuteExA with the same ddeexec association;
//   (c) the floor: a bare IDispatch::Invoke round trip to the running server plus a bare DDE
//       execute on an open conversation, per document.
// Usage: dde_bench KEY SERVICE APPLOG DOCDIR N
// Prints documents per second for each, the ratios and the connects the application saw.
#include <windows.h>
#include <ddeml.h>
#include <oleauto.h>
#include <shellapi.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

int CountConnects(const char* log) {
    int n = 0;
    if (FILE* f = std::fopen(log, "rb")) {
        char line[8192];
        while (std::fgets(line, sizeof line, f))
            if (std::string(line).rfind("connect|", 0) == 0) ++n;
        std::fclose(f);
    }
    return n;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

DISPID IdOf(IDispatch* p, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    p->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

// Calls a method with string arguments (given in order); true when it returned TRUE.
bool Call(IDispatch* p, DISPID id, const std::vector<std::string>& args) {
    std::vector<VARIANT> v(args.size());
    for (size_t i = 0; i < args.size(); ++i) {  // reversed, as Invoke expects
        VariantInit(&v[args.size() - 1 - i]);
        v[args.size() - 1 - i].vt = VT_BSTR;
        v[args.size() - 1 - i].bstrVal = ::SysAllocString(Wide(args[i]).c_str());
    }
    DISPPARAMS dp = {v.data(), nullptr, static_cast<UINT>(v.size()), 0};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = p->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, &result, nullptr, nullptr);
    for (VARIANT& a : v) VariantClear(&a);
    bool ok = SUCCEEDED(hr) && result.vt == VT_BOOL && result.boolVal;
    VariantClear(&result);
    return ok;
}

HDDEDATA CALLBACK NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }
}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: dde_bench KEY SERVICE APPLOG DOCDIR N\n");
        return 2;
    }
    const std::string key = argv[1], service = argv[2], docDir = argv[4];
    const char* appLog = argv[3];
    const int n = std::atoi(argv[5]);
    std::vector<std::string> docs;
    for (int i = 0; i < n; ++i) {
        docs.push_back(docDir + "\\doc" + std::to_string(i) + key);
        if (FILE* f = std::fopen(docs.back().c_str(), "wb")) std::fclose(f);
    }

    ::CoInitialize(nullptr);
    CLSID clsid;
    IDispatch* p = nullptr;
    if (FAILED(::CLSIDFromProgID(L"DORVIK.DDEINTFC", &clsid)) ||
        FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&p)))) {
        std::fprintf(stderr, "dde_bench: cannot create DORVIK.DDEINTFC\n");
        return 1;
    }
    const DISPID setInfo = IdOf(p, L"setOperationInfo"), doOp = IdOf(p, L"doOperation"), errorCode = IdOf(p, L"errorCode");
    if (!Call(p, setInfo, {key, "open"})) {
        std::fprintf(stderr, "dde_bench: setOperationInfo failed\n");
        return 1;
    }

    // (a) dorvik.
    int connects0 = CountConnects(appLog);
    auto t0 = Clock::now();
    int failures = 0;
    for (const std::string& doc : docs) failures += !Call(p, doOp, {key, "open", doc});
    const double a = Seconds(t0);
    const int connectsA = CountConnects(appLog) - connects0;

    // (b) the shell.
    connects0 = CountConnects(appLog);
    t0 = Clock::now();
    for (const std::string& doc : docs) {
        SHELLEXECUTEINFOA sei = {};
        sei.cbSize = sizeof sei;
        sei.fMask = SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
        sei.lpVerb = "open";
        sei.lpFile = doc.c_str();
        sei.nShow = SW_SHOWNORMAL;
        failures += !::ShellExecuteExA(&sei);
    }
    const double b = Seconds(t0);
    const int connectsB = CountConnects(appLog) - connects0;

    // (c) the floor: the same two round trips without anything between them.
    DWORD inst = 0;
    ::DdeInitializeA(&inst, NoCallback, APPCMD_CLIENTONLY, 0);
    HSZ hszService = ::DdeCreateStringHandleA(inst, service.c_str(), CP_WINANSI);
    HSZ hszTopic = ::DdeCreateStringHandleA(inst, "System", CP_WINANSI);
    HCONV conv = ::DdeConnect(inst, hszService, hszTopic, nullptr);
    if (!conv) {
        std::fprintf(stderr, "dde_bench: cannot connect to %s\n", service.c_str());
        return 1;
    }
    t0 = Clock::now();
    for (const std::string& doc : docs) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        VARIANT r;
        VariantInit(&r);
        failures += FAILED(p->Invoke(errorCode, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &r, nullptr, nullptr));
        std::string cmd = "[open(" + doc + ")]";
        failures += !::DdeClientTransaction(reinterpret_cast<LPBYTE>(&cmd[0]), static_cast<DWORD>(cmd.size() + 1), conv, nullptr,
                                            0, XTYP_EXECUTE, 20000, nullptr);
    }
    const double c = Seconds(t0);
    ::DdeDisconnect(conv);
    ::DdeUninitialize(inst);
    p->Release();
    ::CoUninitialize();

    std::printf("%-44s %10s %10s %9s\n", "way", "seconds", "docs/s", "connects");
    std::printf("%-44s %10.3f %10.1f %9d\n", "(a) dorvik doOperation over COM", a, n / a, connectsA);
    std::printf("%-44s %10.3f %10.1f %9d\n", "(b) ShellExecuteExA, same ddeexec verb", b, n / b, connectsB);
    std::printf("%-44s %10.3f %10.1f %9s\n", "(c) floor: Invoke + DDE execute", c, n / c, "-");
    std::printf("(a)/(b) speed: %.1fx (target >= 10x)\n", b / a);
    std::printf("(a)/(c) time:  %.2fx (target <= 1.5x)\n", a / c);
    std::printf("connects for %d documents through dorvik: %d (target 1)\n", n, connectsA);
    if (failures) std::printf("failed calls: %d\n", failures);
    return failures ? 1 : 0;
}
