// CDdeIntfc's DDE conversations against the real DDE library: the DDE test application
// (ddeapp.exe, beside this program) logs every connect and execute, and Wine's own shell DDE
// server stands for a peer not written here.
#include "../../dorvik/DdeIntfc.h"
#include "WinTest.h"
#include <gtest/gtest.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace {
std::string ExeDir() {
    char self[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self, n);
    return dir.substr(0, dir.rfind('\\'));
}

struct Verb {
    std::string name, command;
    bool dde = false;
    std::string ddeexec, application, topic;
};

void SetValue(const std::string& key, const char* name, const std::string& value) {
    HKEY h;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr), ERROR_SUCCESS) << key;
    ::RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(h);
}

// A file type with its verbs under HKEY_CLASSES_ROOT, as an installer would write it.
void Associate(const std::string& ext, const std::vector<Verb>& verbs) {
    const std::string type = "velmora.test" + ext;
    SetValue(ext, nullptr, type);
    for (const Verb& v : verbs) {
        const std::string base = type + "\\shell\\" + v.name;
        SetValue(base + "\\command", nullptr, v.command);
        if (!v.dde) continue;
        SetValue(base + "\\ddeexec", nullptr, v.ddeexec);
        if (!v.application.empty()) SetValue(base + "\\ddeexec\\Application", nullptr, v.application);
        if (!v.topic.empty()) SetValue(base + "\\ddeexec\\Topic", nullptr, v.topic);
    }
}

// Ends every running ddeapp.exe at once, as a crash would; returns how many.
int KillApps() {
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 pe;
    pe.dwSize = sizeof pe;
    int n = 0;
    for (BOOL more = ::Process32First(snap, &pe); more; more = ::Process32Next(snap, &pe)) {
        if (::lstrcmpiA(pe.szExeFile, "ddeapp.exe") != 0) continue;
        HANDLE h = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pe.th32ProcessID);
        if (h && ::TerminateProcess(h, 9)) {
            ::WaitForSingleObject(h, 5000);
            ++n;
        }
        if (h) ::CloseHandle(h);
    }
    ::CloseHandle(snap);
    return n;
}

// Runs the message loop for a while, as the server's loop would between calls.
void Pump(DWORD ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        ::Sleep(10);
    }
}

class Dde : public ::testing::Test {
protected:
    void SetUp() override {
        m_app = m_dir / "ddeapp.exe";
        ASSERT_TRUE(::CopyFileA((ExeDir() + "\\ddeapp.exe").c_str(), m_app.c_str(), FALSE));
    }
    void TearDown() override {
        KillApps();  // those the object started too: no test sees another's application
        for (HANDLE h : m_started) ::CloseHandle(h);
    }
    std::string Log() const {
        std::string log = ReadText(m_app + ".log");
        return log == "<missing>" ? "" : log;
    }
    // Waits until the log holds the line.
    bool WaitFor(const std::string& line, DWORD ms = 5000) const {
        for (DWORD waited = 0; waited <= ms; waited += 50) {
            if (("\n" + Log()).find("\n" + line + "\n") != std::string::npos) return true;
            ::Sleep(50);
        }
        return false;
    }
    int Count(const std::string& prefix) const {
        int n = 0;
        std::string log = "\n" + Log();
        for (size_t p = log.find("\n" + prefix); p != std::string::npos; p = log.find("\n" + prefix, p + 1)) ++n;
        return n;
    }
    // Starts the application ourselves and waits until it serves.
    HANDLE Start(const std::string& args) {
        std::string cmd = "\"" + m_app + "\" " + args;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        EXPECT_TRUE(::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        ::CloseHandle(pi.hThread);
        m_started.push_back(pi.hProcess);
        ::WaitForInputIdle(pi.hProcess, 5000);
        EXPECT_TRUE(WaitFor("start|" + args));
        EXPECT_TRUE(WaitFor("serving"));
        return pi.hProcess;
    }
    // The verb's command line: the application started for a service, with the document.
    std::string Command(const std::string& args, const char* placeholder = " %1") const {
        return "\"" + m_app + "\" " + args + placeholder;
    }
    struct Outcome {
        BOOL ok;
        short code;
        std::string desc;
    };
    static Outcome Do(CDdeIntfc& o, const char* key, const char* verb, const char* doc) {
        BOOL ok = o.doOperation(key, verb, doc);
        return {ok, o.GetErrorCode(), o.GetErrorDesc().str()};
    }

    ScratchDir m_dir;
    std::string m_app;
    std::vector<HANDLE> m_started;
};

TEST_F(Dde, RunningApplicationGetsOneConnectAndOneExecutePerCall) {
    Associate(".vdd1", {{"open", Command("/service:VelOne /topic:Docs"), true, "[open(\"%1\")]", "VelOne", "Docs"},
                        {"print", Command("/service:VelOne /topic:Docs"), true, "[print(%1)][close(%1)]", "VelOne", "Docs"},
                        {"plain", Command("/service:VelOne /topic:Docs"), true, "[activate()]", "VelOne", "Docs"}});
    Start("/service:VelOne /topic:Docs");
    CDdeIntfc o;
    ASSERT_TRUE(o.setOperationInfo(".vdd1", "open"));
    Outcome first = Do(o, ".vdd1", "open", "C:\\My Files\\a.txt");
    EXPECT_TRUE(first.ok) << first.code << " " << first.desc;
    EXPECT_EQ(first.code, 0);
    EXPECT_EQ(first.desc, "");
    EXPECT_TRUE(Do(o, ".vdd1", "Print", "b.txt").ok) << "another verb reuses the key's conversation";
    EXPECT_TRUE(Do(o, ".vdd1", "plain", "c.txt").ok);
    ASSERT_TRUE(WaitFor("execute|[activate()]"));
    EXPECT_EQ(Log(), "start|/service:VelOne /topic:Docs\n"
                     "serving\n"
                     "connect|Docs\n"
                     "execute|[open(\"C:\\My Files\\a.txt\")]\n"
                     "execute|[print(b.txt)][close(b.txt)]\n"
                     "execute|[activate()]\n");
    o.uninitialize();
    EXPECT_TRUE(WaitFor("disconnect")) << "uninitialize ends the conversation";
}

TEST_F(Dde, ApplicationNotRunningIsStartedFromTheVerbsCommandLine) {
    Associate(".vdd2", {{"open", Command("/service:VelTwo /delay:300", " \"%1\" ignored"), true, "[open(%1)]", "VelTwo", ""}});
    CDdeIntfc o;
    ASSERT_TRUE(o.setOperationInfo(".vdd2", "open"));
    Outcome r = Do(o, ".vdd2", "open", "C:\\My Docs\\a b.txt");
    EXPECT_TRUE(r.ok) << r.code << " " << r.desc;
    ASSERT_TRUE(WaitFor("execute|[open(C:\\My Docs\\a b.txt)]"));
    EXPECT_EQ(Log(), "start|/service:VelTwo /delay:300 \"C:\\My Docs\\a b.txt\"\n"
                     "serving\n"
                     "connect|System\n"  // no topic named: "System"
                     "execute|[open(C:\\My Docs\\a b.txt)]\n");
    EXPECT_TRUE(Do(o, ".vdd2", "open", "d.txt").ok);
    EXPECT_TRUE(WaitFor("execute|[open(d.txt)]"));
    EXPECT_EQ(Count("start|"), 1);
    EXPECT_EQ(Count("connect|"), 1);
}

TEST_F(Dde, NoServerAfterTheTriesOrNoProgramIsAFailureThatIsNotKept) {
    Associate(".vdd3", {{"open", Command("/service:VelMute /mute /life:4000"), true, "[open(%1)]", "VelMute", "System"},
                        {"gone", "C:\\nowhere\\missing.exe %1", true, "[open(%1)]", "VelGone", "System"}});
    CDdeIntfc o;
    ASSERT_TRUE(o.setOperationInfo(".vdd3", "open"));
    auto t0 = std::chrono::steady_clock::now();
    Outcome mute = Do(o, ".vdd3", "open", "a.txt");
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_FALSE(mute.ok);
    EXPECT_EQ(mute.code, 301);
    EXPECT_EQ(mute.desc, "DMLERR_NO_CONV_ESTABLISHED");
    EXPECT_GE(ms, 2500) << "25 tries, 100 ms apart";
    EXPECT_EQ(o.FindConvInfo(".vdd3"), -1) << "no unconnected record kept";
    // The next call starts over: another start of the application.
    EXPECT_FALSE(Do(o, ".vdd3", "open", "b.txt").ok);
    EXPECT_EQ(Count("start|"), 2);

    CDdeIntfc other;
    ASSERT_TRUE(other.setOperationInfo(".vdd3", "gone"));
    Outcome gone = Do(other, ".vdd3", "gone", "a.txt");
    EXPECT_FALSE(gone.ok);
    EXPECT_EQ(gone.code, 301);
    EXPECT_EQ(gone.desc, "DMLERR_NO_CONV_ESTABLISHED");
}

TEST_F(Dde, PartnerThatWentAwayIsReachedAnewAndGetsTheDocumentOnce) {
    const std::string args = "/service:VelQuit";
    Associate(".vdd4", {{"open", Command(args, ""), true, "[open(%1)]", "VelQuit", "System"},
                        {"quit", Command(args, ""), true, "[quit]", "VelQuit", "System"}});
    CDdeIntfc o;
    ASSERT_TRUE(o.setOperationInfo(".vdd4", "open"));
    HANDLE first = Start(args);
    ASSERT_TRUE(Do(o, ".vdd4", "open", "one.txt").ok);
    ASSERT_TRUE(Do(o, ".vdd4", "quit", "").ok);
    ASSERT_TRUE(WaitFor("exit"));
    EXPECT_EQ(::WaitForSingleObject(first, 5000), WAIT_OBJECT_0);
    Outcome r = Do(o, ".vdd4", "open", "two.txt");  // cleanly gone: started again
    EXPECT_TRUE(r.ok) << r.code << " " << r.desc << "\n" << Log();  // cleanly gone: started again

    // Killed: the conversation still looks connected, the execute finds nobody.
    ASSERT_TRUE(WaitFor("execute|[open(two.txt)]"));
    ASSERT_EQ(KillApps(), 1);
    Pump(500);
    r = Do(o, ".vdd4", "open", "three.txt");
    EXPECT_TRUE(r.ok) << r.code << " " << r.desc;
    ASSERT_TRUE(WaitFor("execute|[open(three.txt)]"));
    EXPECT_EQ(Count("execute|[open(one.txt)]"), 1);
    EXPECT_EQ(Count("execute|[open(two.txt)]"), 1);
    EXPECT_EQ(Count("execute|[open(three.txt)]"), 1);
    EXPECT_EQ(Count("start|"), 3);
}

TEST_F(Dde, OnlyTheExactServiceIExploreIsNotWaitedFor) {
    Associate(".vdd5", {{"open", Command("/service:IExplore /slow:1500", ""), true, "[open(%1)]", "IExplore", "System"},
                        {"lower", Command("/service:IExplore /slow:1500", ""), true, "[open(%1)]", "iexplore", "System"}});
    Start("/service:IExplore /slow:1500");
    CDdeIntfc async, sync;
    ASSERT_TRUE(async.setOperationInfo(".vdd5", "open"));
    ASSERT_TRUE(sync.setOperationInfo(".vdd5", "lower"));
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(Do(async, ".vdd5", "open", "a").ok);
    auto asyncMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(asyncMs, 1000);
    Pump(2000);  // let the first execute finish
    t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(Do(sync, ".vdd5", "lower", "b").ok);
    auto syncMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_GE(syncMs, 1400);
}

TEST_F(Dde, RefusedExecuteIsReportedWithTheLibrarysText) {
    Associate(".vdd6", {{"open", Command("/service:VelNo /refuse", ""), true, "[open(%1)]", "VelNo", "System"}});
    Start("/service:VelNo /refuse");
    CDdeIntfc o;
    ASSERT_TRUE(o.setOperationInfo(".vdd6", "open"));
    Outcome r = Do(o, ".vdd6", "open", "a.txt");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.code, 303);
    EXPECT_EQ(r.desc, "DMLERR_NOTPROCESSED");
}

TEST_F(Dde, DisconnectNoticeReachesTheObjectThatOwnsTheConversation) {
    Associate(".vdd7", {{"open", Command("/service:VelBye", ""), true, "[open(%1)]", "VelBye", "System"},
                        {"bye", Command("/service:VelBye", ""), true, "[disconnect]", "VelBye", "System"}});
    Start("/service:VelBye");
    CDdeIntfc owner;
    ASSERT_TRUE(owner.setOperationInfo(".vdd7", "open"));
    ASSERT_TRUE(Do(owner, ".vdd7", "open", "a").ok);
    {
        CDdeIntfc later;  // the most recently made object, which owns another conversation
        ASSERT_TRUE(later.setOperationInfo(".vdd7", "open"));
        ASSERT_TRUE(Do(later, ".vdd7", "open", "b").ok);
        ASSERT_TRUE(Do(owner, ".vdd7", "bye", "").ok);
        ASSERT_TRUE(WaitFor("disconnected"));
        Pump(300);
        // Wine does not pass the partner's disconnect on to the client, so the notice the
        // library would deliver is handed to the callback here, with the real handle.
        const int i = owner.FindConvInfo(".vdd7");
        ASSERT_GE(i, 0);
        const HCONV hConv = owner.GetConvInfo(i).GetConv();
        EXPECT_EQ(CDdeIntfc::DdeCallback(XTYP_DISCONNECT, 0, hConv, nullptr, nullptr, nullptr, 0, 0), nullptr);
        EXPECT_EQ(owner.FindConvInfo(".vdd7"), -1) << "the notice removed the owner's record";
        EXPECT_NE(later.FindConvInfo(".vdd7"), -1) << "and no other object's";
    }
    // The other object is gone; the owner still works and connects anew.
    EXPECT_TRUE(Do(owner, ".vdd7", "open", "c").ok);
    EXPECT_TRUE(WaitFor("execute|[open(c)]"));
    EXPECT_EQ(Count("connect|"), 3);
}

// The real library, except that the first call of one operation after Arm first runs an
// action: a disconnect notice handed to the object's callback, as Windows delivers when a
// partner dies while that call waits (Wine never does), or a call that reaches the object
// from inside the wait, as Windows' modal loop can dispatch one (Wine's pumps DDE only).
class SeamDde final : public IDdeLibrary {
public:
    enum Op { kConnect, kExecute, kDisconnect };
    void Arm(Op op, std::function<void()> action) {
        m_op = op;
        m_action = std::move(action);
    }
    bool Ran() const { return m_ran; }
    PFNCALLBACK Callback() const { return m_pfn; }

    UINT Initialize(DWORD* pid, PFNCALLBACK pfn, DWORD af) override {
        m_pfn = pfn;
        return m_real.Initialize(pid, pfn, af);
    }
    BOOL Uninitialize(DWORD id) override { return m_real.Uninitialize(id); }
    HSZ CreateStringHandle(DWORD id, const char* psz) override { return m_real.CreateStringHandle(id, psz); }
    BOOL FreeStringHandle(DWORD id, HSZ hsz) override { return m_real.FreeStringHandle(id, hsz); }
    HCONV Connect(DWORD id, HSZ s, HSZ t) override {
        During(kConnect);
        return m_real.Connect(id, s, t);
    }
    BOOL Disconnect(HCONV h) override {
        During(kDisconnect);
        return m_real.Disconnect(h);
    }
    HDDEDATA ClientTransaction(BYTE* p, DWORD cb, HCONV h, UINT type, DWORD timeout, DWORD* pr) override {
        During(kExecute);
        return m_real.ClientTransaction(p, cb, h, type, timeout, pr);
    }
    UINT GetLastError(DWORD id) override { return m_real.GetLastError(id); }
    BOOL QueryConvInfo(HCONV h, CONVINFO* pci) override { return m_real.QueryConvInfo(h, pci); }

private:
    void During(Op op) {
        if (!m_action || op != m_op) return;
        auto action = std::move(m_action);  // once: the action's own calls come through here too
        m_action = nullptr;
        action();
        m_ran = true;
    }
    IDdeLibrary& m_real = RealDdeLibrary();
    PFNCALLBACK m_pfn = nullptr;
    Op m_op = kExecute;
    std::function<void()> m_action;
    bool m_ran = false;
};

TEST_F(Dde, DisconnectNoticeDuringACallLeavesEveryOtherConversationAlone) {
    // One application per key: Wine's library opens no second conversation with the same
    // service and topic from one instance.
    for (const char* k : {"a", "b", "c"}) {
        const std::string args = std::string("/service:VelSeam") + k;
        Associate(std::string(".vs") + k, {{"open", Command(args, ""), true, std::string("[") + k + "(%1)]", "VelSeam" + std::string(k), "System"}});
        Start(args);
    }
    enum Action { kOpenA, kOpenC, kUninitialize };
    enum State { kSame, kNew, kGone };
    const struct {
        SeamDde::Op op;
        const char* target;  // whose conversation the notice names
        Action action;
        bool ok;
        short code;
        State a, b;
    } rows[] = {
        // A reused conversation whose partner leaves mid-execute is connected anew and sent once more.
        {SeamDde::kExecute, ".vsa", kOpenA, true, 0, kNew, kSame},
        // Another key's record goes from under the call; the call's own stays in use.
        {SeamDde::kExecute, ".vsb", kOpenA, true, 0, kSame, kGone},
        {SeamDde::kConnect, ".vsb", kOpenC, true, 0, kSame, kGone},
        // A conversation just opened is not retried: the call fails cleanly.
        {SeamDde::kExecute, ".vsc", kOpenC, false, 303, kSame, kSame},
        // Ending the conversations while a notice for one of them arrives.
        {SeamDde::kDisconnect, ".vsa", kUninitialize, true, 0, kGone, kGone},
    };
    int n = 0;
    for (const auto& r : rows) {
        const std::string tag = std::to_string(++n);
        SeamDde dde;
        CDdeIntfc o;
        o.SetDdeLibrary(dde);
        for (const char* key : {".vsb", ".vsa"}) {  // B before A in the list: removing B moves A
            ASSERT_TRUE(o.setOperationInfo(key, "open"));
            ASSERT_TRUE(o.doOperation(key, "open", (tag + "first").c_str())) << tag << key << " " << o.GetErrorDesc().str();
        }
        const HCONV a = o.GetConvInfo(o.FindConvInfo(".vsa")).GetConv(), b = o.GetConvInfo(o.FindConvInfo(".vsb")).GetConv();
        ASSERT_TRUE(o.setOperationInfo(".vsc", "open"));
        // The notice names the key's conversation as it is then, or the one it had before.
        const int t = o.FindConvInfo(r.target);
        const HCONV hBefore = t >= 0 ? o.GetConvInfo(t).GetConv() : nullptr;
        dde.Arm(r.op, [&o, &dde, &r, hBefore] {
            const int i = o.FindConvInfo(r.target);
            dde.Callback()(XTYP_DISCONNECT, 0, i >= 0 ? o.GetConvInfo(i).GetConv() : hBefore, nullptr, nullptr, nullptr, 0, 0);
        });
        const std::string doc = tag + "doc";
        BOOL ok = TRUE;
        if (r.action == kOpenA) ok = o.doOperation(".vsa", "open", doc.c_str());
        if (r.action == kOpenC) ok = o.doOperation(".vsc", "open", doc.c_str());
        if (r.action == kUninitialize) o.uninitialize();
        EXPECT_TRUE(dde.Ran()) << tag;
        EXPECT_EQ(ok != FALSE, r.ok) << tag << " " << o.GetErrorCode() << " " << o.GetErrorDesc().str();
        EXPECT_EQ(o.GetErrorCode(), r.code) << tag;
        auto state = [&](const char* key, HCONV before) {
            const int i = o.FindConvInfo(key);
            return i < 0 ? kGone : o.GetConvInfo(i).GetConv() == before ? kSame : kNew;
        };
        EXPECT_EQ(state(".vsa", a), r.a) << tag;
        EXPECT_EQ(state(".vsb", b), r.b) << tag;
        if (r.ok && r.action != kUninitialize) {
            const std::string sent = r.action == kOpenA ? "execute|[a(" + doc + ")]" : "execute|[c(" + doc + ")]";
            EXPECT_TRUE(WaitFor(sent)) << tag;
            EXPECT_EQ(Count(sent), 1) << tag << ": delivered exactly once";
        }
        // The object goes on working for every key.
        for (const char* key : {".vsa", ".vsb"}) {
            EXPECT_TRUE(o.setOperationInfo(key, "open"));
            EXPECT_TRUE(o.doOperation(key, "open", (tag + "after").c_str())) << tag << key << " " << o.GetErrorDesc().str();
        }
    }
}

// Invokes a member by name with string arguments (nullptr for a Boolean TRUE), as a client would.
bool Invoke(IDispatch* p, const wchar_t* name, const std::vector<const wchar_t*>& args) {
    DISPID id = 0;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    EXPECT_EQ(p->GetIDsOfNames(IID_NULL, &n, 1, 0, &id), S_OK);
    std::vector<VARIANT> v(args.size());
    for (size_t i = 0; i < args.size(); ++i) {  // last to first
        VARIANT& a = v[args.size() - 1 - i];
        if (args[i]) {
            a.vt = VT_BSTR;
            a.bstrVal = ::SysAllocString(args[i]);
        } else {
            a.vt = VT_BOOL;
            a.boolVal = VARIANT_TRUE;
        }
    }
    DISPPARAMS dp = {v.data(), nullptr, static_cast<UINT>(v.size()), 0};
    VARIANT r;
    ::VariantInit(&r);
    EXPECT_EQ(p->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &dp, &r, nullptr, nullptr), S_OK);
    for (VARIANT& a : v) ::VariantClear(&a);
    return r.vt == VT_BOOL && r.boolVal == VARIANT_TRUE;
}

TEST_F(Dde, CallsThatReachTheObjectDuringItsWaitAreRefusedAndUninitializeWaits) {
    const std::string args = "/service:VelBusy";
    Associate(".vbusy", {{"open", Command(args, ""), true, "[open(%1)]", "VelBusy", "System"}});
    Start(args);
    SeamDde dde;
    CDdeIntfc o;
    o.SetDdeLibrary(dde);
    IDispatch* p = o.GetIDispatch(FALSE);
    ASSERT_TRUE(o.setOperationInfo(".vbusy", "open"));
    struct Inner {
        const wchar_t* name;
        std::vector<const wchar_t*> args;
        bool ok;
        short code;
    };
    std::vector<std::pair<Inner, short>> seen;  // each inner call with the code it left
    dde.Arm(SeamDde::kExecute, [&] {
        const Inner inner[] = {
            {L"setOperationInfo", {L".vbusy", L"open"}, false, CDdeIntfc::kBusy},
            {L"doOperation", {L".vbusy", L"open", L"inner.txt"}, false, CDdeIntfc::kBusy},
            {L"setOpInfo", {L".vbusy", L"x", L"", L"", nullptr, L"", L"", L""}, false, CDdeIntfc::kBusy},
        };
        for (const Inner& call : inner) {
            EXPECT_EQ(Invoke(p, call.name, call.args), call.ok);
            seen.push_back({call, o.GetErrorCode()});
        }
        EXPECT_EQ(o.GetErrorDesc().str(), "Object Busy With Another Call");
        EXPECT_EQ(o.FindRegInfo(".vbusy")->FindVerb("x"), -1) << "no verb added";
        Invoke(p, L"uninitialize", {});
        EXPECT_NE(o.FindRegInfo(".vbusy"), nullptr) << "put off while the execute waits";
    });
    EXPECT_TRUE(o.doOperation(".vbusy", "open", "outer.txt")) << o.GetErrorDesc().str();
    ASSERT_TRUE(dde.Ran());
    EXPECT_EQ(o.GetErrorCode(), 0);
    for (const auto& s : seen) EXPECT_EQ(s.second, s.first.code);
    EXPECT_EQ(o.FindRegInfo(".vbusy"), nullptr) << "the uninitialize asked for has run";
    EXPECT_EQ(o.FindConvInfo(".vbusy"), -1);
    EXPECT_TRUE(WaitFor("disconnect"));
    EXPECT_EQ(Count("execute|"), 1);
}

TEST_F(Dde, LongDocumentAndCommandAreSentWhole) {
    const std::string doc(5000, 'd'), tail(3000, 't');
    Associate(".vdd8", {{"open", Command("/service:VelLong", ""), true, "[open(%1)]" + tail, "VelLong", "System"}});
    Start("/service:VelLong");
    CDdeIntfc o;
    ASSERT_TRUE(o.setOperationInfo(".vdd8", "open"));
    Outcome r = Do(o, ".vdd8", "open", doc.c_str());
    EXPECT_TRUE(r.ok) << r.code << " " << r.desc;
    EXPECT_TRUE(WaitFor("execute|[open(" + doc + ")]" + tail));
}

TEST_F(Dde, WinesShellServerCreatesAProgramGroup) {
    Associate(".vdd9", {{"open", "progman.exe", true, "[CreateGroup(%1)]", "Progman", "Progman"}});
    char programs[MAX_PATH];
    ASSERT_EQ(::SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs), S_OK);
    const std::string group = std::string(programs) + "\\Velmora DDE Group";
    ::RemoveDirectoryA(group.c_str());
    CDdeIntfc o;
    ASSERT_TRUE(o.setOperationInfo(".vdd9", "open"));
    Outcome r = Do(o, ".vdd9", "open", "Velmora DDE Group");
    EXPECT_TRUE(r.ok) << r.code << " " << r.desc;
    DWORD attr = ::GetFileAttributesA(group.c_str());
    EXPECT_TRUE(attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) << group;
    ::RemoveDirectoryA(group.c_str());
}
}  // namespace
