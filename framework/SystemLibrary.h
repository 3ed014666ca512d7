// DLLs come from the system directory only. Windows looks in a program's own folder first for
// every DLL that is not one of its KnownDLLs, and an installer runs from a Downloads folder with
// administrator rights: a DLL planted there would run with them. So a program imports only
// KnownDLLs and loads every other DLL through these helpers.
#pragma once
#include <windows.h>

// Restricts every later DLL load of the process, the system's own on our behalf included, to the
// system directory. The framework's WinMain calls it first thing; a program with an entry point
// of its own calls it there.
void AfxRestrictDllSearch();

// Loads a DLL by name from the system directory, never from anywhere else; null when it is not there.
HMODULE AfxLoadSystemLibrary(const char* pszName);

// A function of a DLL in the system directory, or null. The DLL stays loaded for the process's life.
template <typename Fn>
Fn AfxGetSystemProc(const char* pszDll, const char* pszProc) {
    HMODULE hModule = AfxLoadSystemLibrary(pszDll);
    if (!hModule) return nullptr;
    // Through a generic function type: the system hands back every export as FARPROC.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(hModule, pszProc)));
}
