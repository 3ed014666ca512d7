// The directory table's system side: the captured directories and the created installation directory.
#include "InstallFile.h"
#include <windows.h>

namespace {
// A failed call, or one whose answer does not fit, leaves the entry as it was.
template <typename Query>
void Capture(char (&szEntry)[kPathBuf], Query query) {
    char buf[kPathBuf];
    DWORD n = query(buf);
    if (n > 0 && n < sizeof buf) CInstallFile::SetEntry(szEntry, buf);
}
}  // namespace

BOOL CInstallFile::InitDirectories(CString strInstDir) {
    Capture(m_szWinDir, [](char* b) { return static_cast<DWORD>(::GetWindowsDirectoryA(b, kPathBuf)); });
    Capture(m_szSysDir, [](char* b) { return static_cast<DWORD>(::GetSystemDirectoryA(b, kPathBuf)); });
    Capture(m_szCurrDir, [](char* b) { return ::GetCurrentDirectoryA(kPathBuf, b); });
    return SetInstallDir(strInstDir);
}

BOOL CInstallFile::CreateInstallDir() {
    if (::CreateDirectoryA(m_szInstDir, nullptr)) return TRUE;
    DWORD err = ::GetLastError();
    if (err != ERROR_ALREADY_EXISTS && err != ERROR_FILE_EXISTS) return FALSE;
    // Something of that name exists: only a directory can take the product's files.
    DWORD attr = ::GetFileAttributesA(m_szInstDir);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}
