// ddeclient: a bare DDEML client for checking ddeapp. Usage:
//   ddeclient SERVICE TOPIC COMMAND...   connects once and sends each COMMAND as an execute;
// prints "ok" or "failed 0xCODE" per command. Exit code: the number of failures.
#include <windows.h>
#include <ddeml.h>
#include <cstdio>
#include <cstring>

namespace {
HDDEDATA CALLBACK Callback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }
}

int main(int argc, char** argv) {
    if (argc < 3) return 100;
    DWORD inst = 0;
    if (::DdeInitializeA(&inst, Callback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 101;
    HSZ service = ::DdeCreateStringHandleA(inst, argv[1], CP_WINANSI);
    HSZ topic = ::DdeCreateStringHandleA(inst, argv[2], CP_WINANSI);
    HCONV conv = ::DdeConnect(inst, service, topic, nullptr);
    if (!conv) {
        std::printf("connect failed 0x%X\n", ::DdeGetLastError(inst));
        return 102;
    }
    int failures = 0;
    for (int i = 3; i < argc; ++i) {
        HDDEDATA r = ::DdeClientTransaction(reinterpret_cast<LPBYTE>(argv[i]), static_cast<DWORD>(std::strlen(argv[i]) + 1),
                                            conv, nullptr, 0, XTYP_EXECUTE, 5000, nullptr);
        if (r) std::printf("ok\n");
        else {
            std::printf("failed 0x%X\n", ::DdeGetLastError(inst));
            ++failures;
        }
    }
    ::DdeDisconnect(conv);
    ::DdeUninitialize(inst);
    return failures;
}
