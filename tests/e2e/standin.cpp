// Stands in for a program the installer starts (dorvik.exe, Setup.exe): appends one line
// "ran|<its command line after the program name>" to <own path>.log and exits with the
// code written in <own path>.exitcode (0 when there is none).
#include "AppendLine.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string base(self, n);

    const char* args = ::GetCommandLineA();
    if (*args == '"') {
        for (++args; *args && *args != '"'; ++args) {}
        if (*args) ++args;
    } else {
        while (static_cast<unsigned char>(*args) > ' ') ++args;
    }
    while (*args && static_cast<unsigned char>(*args) <= ' ') ++args;

    AppendLine(base + ".log", std::string("ran|") + args);
    int code = 0;
    if (FILE* f = std::fopen((base + ".exitcode").c_str(), "rb")) {
        if (std::fscanf(f, "%d", &code) != 1) code = 0;
        std::fclose(f);
    }
    return code;
}
