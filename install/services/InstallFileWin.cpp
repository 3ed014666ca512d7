// CInstallFile's system side: the captured directories, the installation directory, the
// version-installation service and type library registration.
#include "InstallFile.h"
#include "ResultText.h"
#include "../../framework/SystemLibrary.h"
#include <windows.h>
#include <oleauto.h>
#include <winver.h>
#include <string>

namespace {
// version.dll is not one of the system's KnownDLLs: it comes from the system directory only.
template <typename Fn>
Fn VersionProc(const char* pszProc) {
    Fn pfn = AfxGetSystemProc<Fn>("version.dll", pszProc);
    if (!pfn) ThrowError(1, CString("The system's version.dll cannot be loaded: ") + pszProc + " is missing.");
    return pfn;
}

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

BOOL CInstallFile::CreateInstallDir(BOOL* pbCreated) {
    const BOOL bCreated = ::CreateDirectoryA(m_szInstDir, nullptr);
    if (pbCreated) *pbCreated = bCreated;
    if (bCreated) return TRUE;
    DWORD err = ::GetLastError();
    if (err != ERROR_ALREADY_EXISTS && err != ERROR_FILE_EXISTS) return FALSE;
    // Something of that name exists: only a directory can take the product's files.
    DWORD attr = ::GetFileAttributesA(m_szInstDir);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

void CInstallFile::FindDestination() {
    m_szCurDir[0] = '\0';
    m_szDestDir[0] = '\0';
    UINT nCurDirLen = kPathBuf, nDestDirLen = kPathBuf;
    // The headers declare the input strings writable; the service only reads them.
    static const auto pVerFindFile = VersionProc<decltype(&::VerFindFileA)>("VerFindFileA");
    DWORD result = pVerFindFile(m_bShared ? VFFF_ISSHAREDFILE : 0, m_szSrcFile, m_szWinDir,
                                  const_cast<LPSTR>(GetAppDir()),
                                  m_szCurDir, &nCurDirLen, m_szDestDir, &nDestDirLen);
    CError error;
    if (DescribeResult(kVerFindFileResults, result, error)) throw error;
}

void CInstallFile::Install(BOOL bForce) {
    char szTmpFile[kPathBuf] = {};
    UINT nTmpFileLen = kPathBuf;
    static const auto pVerInstallFile = VersionProc<decltype(&::VerInstallFileA)>("VerInstallFileA");
    DWORD result = pVerInstallFile(bForce ? VIFF_FORCEINSTALL : VIFF_DONTDELETEOLD, m_szSrcFile, m_szDestFile,
                                     const_cast<LPSTR>(GetSrcDir()), m_szDestDir, m_szCurDir, szTmpFile, &nTmpFileLen);
    CError error;
    if (DescribeResult(kVerInstallFileResults, result, error)) throw error;
}

namespace {
std::wstring Widen(const CString& s) {
    int n = ::MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? n : 1, L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
    w.resize(w.size() - 1);
    return w;
}

struct TypeLibRef {
    ITypeLib* p = nullptr;
    ~TypeLibRef() { if (p) p->Release(); }
};
}  // namespace

void CInstallFile::RegisterTypeLibrary() {
    // Not normalised: a directory ending in a backslash gives a doubled one, which the system accepts.
    const std::wstring path = Widen(CString(GetAppDir()) + "\\" + m_szSrcFile);
    TypeLibRef lib;
    HRESULT hr = ::LoadTypeLib(path.c_str(), &lib.p);
    if (hr != S_OK) ThrowError(1, DescribeHResult(kLoadTypeLibResults, static_cast<uint32_t>(hr)));
    hr = ::RegisterTypeLib(lib.p, const_cast<OLECHAR*>(path.c_str()), nullptr);
    if (hr != S_OK) ThrowError(1, DescribeHResult(kRegisterTypeLibResults, static_cast<uint32_t>(hr)));
}
