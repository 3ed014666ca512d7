#include "SystemLibrary.h"
#include <string>

void AfxRestrictDllSearch() {
    // Windows 8 and later, and Windows 7 with its DLL-search update; asked by name so the
    // program still starts on a Windows 7 without it.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE hKernel = ::GetModuleHandleA("kernel32.dll");
    auto pSetDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(hKernel, "SetDefaultDllDirectories")));
    if (pSetDefault && pSetDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Without it the program's folder stays searched; at least the current directory is not.
    ::SetDllDirectoryA("");
}

HMODULE AfxLoadSystemLibrary(const char* pszName) {
    HMODULE hModule = ::LoadLibraryExA(pszName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (hModule || ::GetLastError() != ERROR_INVALID_PARAMETER) return hModule;
    // A system without the search flags: the full path names the one file meant.
    char szSysDir[MAX_PATH];
    UINT n = ::GetSystemDirectoryA(szSysDir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    std::string path = std::string(szSysDir, n) + "\\" + pszName;
    return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
