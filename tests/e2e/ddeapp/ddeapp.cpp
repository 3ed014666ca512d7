// ddeapp: a DDE server application for the tests. It serves one service and topic and appends
// one line per event to "<own path>.log":
//   start|<its command line after the program name>
//   serving               (its service is registered: clients can connect from now on)
//   connect|<topic>       execute|<command>       disconnect       exit
// Options (each one word, so that they survive a verb's command line split at blanks):
//   /service:NAME   the service (default "DdeApp")      /topic:NAME   the topic (default "System")
//   /delay:MS       wait this long before serving        /refuse       answer every execute "not processed"
//   /mute           never serve (it only waits, for /life or until killed)
//   /slow:MS        take this long over each execute before answering
//   /life:MS        end after this long (default: never)
// Any other word (a document, say) is only logged. The execute command "[quit]" ends the
// program after it has been acknowledged; "[disconnect]" ends that conversation from this side. A GUI-subsystem program: whoever starts it may wait
// for it to become idle.
#include "../AppendLine.h"
#include <windows.h>
#include <ddeml.h>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
std::string g_logPath;
DWORD g_inst = 0;
bool g_refuse = false;

void Log(const std::string& line) { AppendLine(g_logPath, line); }

std::string Text(HSZ hsz) {
    char buf[256] = {};
    ::DdeQueryStringA(g_inst, hsz, buf, sizeof buf, CP_WINANSI);
    return buf;
}


struct Options {
    std::string service = "DdeApp", topic = "System";
    DWORD delay = 0, life = 0, slow = 0;
    bool mute = false;
};
Options g_opt;

const UINT WM_APP_DISCONNECT = WM_APP + 1;

HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV hConv, HSZ hsz1, HSZ, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT: {
        std::string topic = Text(hsz1);
        if (::lstrcmpiA(topic.c_str(), g_opt.topic.c_str()) != 0) return nullptr;
        Log("connect|" + topic);
        return reinterpret_cast<HDDEDATA>(TRUE);
    }
    case XTYP_EXECUTE: {
        DWORD size = ::DdeGetData(data, nullptr, 0, 0);
        std::string command(size, '\0');
        if (size) ::DdeGetData(data, reinterpret_cast<LPBYTE>(&command[0]), size, 0);
        command.resize(std::strlen(command.c_str()));
        Log("execute|" + command);
        if (g_opt.slow) ::Sleep(g_opt.slow);
        if (g_refuse) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
        if (command == "[quit]") ::PostQuitMessage(0);
        // Not from inside the transaction: after it has been answered.
        if (command == "[disconnect]") ::PostThreadMessageA(::GetCurrentThreadId(), WM_APP_DISCONNECT, 0, reinterpret_cast<LPARAM>(hConv));
        return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    case XTYP_DISCONNECT:
        Log("disconnect");
        return nullptr;
    default:
        return nullptr;
    }
}

const char* Arguments() {
    const char* p = ::GetCommandLineA();
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {}
        if (*p) ++p;
    } else {
        while (static_cast<unsigned char>(*p) > ' ') ++p;
    }
    while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
    return p;
}

void ParseOptions(const char* args) {
    std::string all = args;
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find(' ', pos);
        if (end == std::string::npos) end = all.size();
        std::string word = all.substr(pos, end - pos);
        pos = end + 1;
        auto value = [&](const char* name) -> const char* {
            size_t n = std::strlen(name);
            return word.compare(0, n, name) == 0 ? word.c_str() + n : nullptr;
        };
        if (const char* v = value("/service:")) g_opt.service = v;
        else if (const char* v = value("/topic:")) g_opt.topic = v;
        else if (const char* v = value("/delay:")) g_opt.delay = std::strtoul(v, nullptr, 10);
        else if (const char* v = value("/life:")) g_opt.life = std::strtoul(v, nullptr, 10);
        else if (const char* v = value("/slow:")) g_opt.slow = std::strtoul(v, nullptr, 10);
        else if (word == "/refuse") g_refuse = true;
        else if (word == "/mute") g_opt.mute = true;
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    g_logPath = std::string(self, n) + ".log";
    const char* args = Arguments();
    Log(std::string("start|") + args);
    ParseOptions(args);

    if (g_opt.life) ::SetTimer(nullptr, 0, g_opt.life, nullptr);
    if (g_opt.delay) ::Sleep(g_opt.delay);
    HSZ service = nullptr;
    if (!g_opt.mute) {
        if (::DdeInitializeA(&g_inst, Callback, APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS, 0) !=
            DMLERR_NO_ERROR)
            return 2;
        service = ::DdeCreateStringHandleA(g_inst, g_opt.service.c_str(), CP_WINANSI);
        if (!::DdeNameService(g_inst, service, nullptr, DNS_REGISTER)) return 3;
        Log("serving");
    }
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
        if (msg.message == WM_APP_DISCONNECT && msg.hwnd == nullptr) {
            ::DdeDisconnect(reinterpret_cast<HCONV>(msg.lParam));
            Log("disconnected");
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (g_inst) {
        ::DdeNameService(g_inst, service, nullptr, DNS_UNREGISTER);
        ::DdeFreeStringHandle(g_inst, service);
        ::DdeUninitialize(g_inst);
    }
    Log("exit");
    return 0;
}
