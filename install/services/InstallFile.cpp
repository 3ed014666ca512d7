#include "InstallFile.h"
#include <cstring>

IMPLEMENT_DYNCREATE(CInstallFile, CObject)

char CInstallFile::m_szWinDir[kPathBuf];
char CInstallFile::m_szSysDir[kPathBuf];
char CInstallFile::m_szCurrDir[kPathBuf];
char CInstallFile::m_szInstDir[kPathBuf];

CInstallFile::CInstallFile() = default;
CInstallFile::~CInstallFile() = default;

BOOL CInstallFile::SetEntry(char (&szEntry)[kPathBuf], const char* pszSrc) {
    size_t n = std::strlen(pszSrc);
    if (n > static_cast<size_t>(kMaxPathChars)) return FALSE;
    std::memcpy(szEntry, pszSrc, n + 1);
    return TRUE;
}

BOOL CInstallFile::SetInstallDir(CString strInstDir) { return SetEntry(m_szInstDir, strInstDir); }

BOOL CInstallFile::ExpandPath(const char* pszSrc, char (&szResult)[kPathBuf]) {
    // A macro name this long matches none of the four; kept from the fixed name buffer.
    constexpr size_t kMaxName = 39;
    static const struct {
        const char* name;
        const char* value;
    } macros[] = {{"WINDIR", m_szWinDir}, {"SYSDIR", m_szSysDir}, {"CURRDIR", m_szCurrDir}, {"INSTDIR", m_szInstDir}};

    szResult[0] = '\0';
    const char* open = std::strchr(pszSrc, '#');
    if (!open) return SetEntry(szResult, pszSrc);
    const char* close = std::strchr(open + 1, '#');
    if (!close) return TRUE;
    size_t nameLen = static_cast<size_t>(close - open - 1);
    if (nameLen > kMaxName) return TRUE;
    for (const auto& m : macros) {
        if (std::strlen(m.name) != nameLen || std::strncmp(m.name, open + 1, nameLen) != 0) continue;
        const char* rest = close + 1;
        size_t valueLen = std::strlen(m.value), restLen = std::strlen(rest);
        if (valueLen + restLen > static_cast<size_t>(kMaxPathChars)) return FALSE;
        std::memcpy(szResult, m.value, valueLen);
        std::memcpy(szResult + valueLen, rest, restLen + 1);
        return TRUE;
    }
    return TRUE;
}

CString JoinFileName(const CString& strDir, const char* pszName) {
    if (!strDir.IsEmpty() && strDir[strDir.GetLength() - 1] == '\\') return strDir + pszName;
    return strDir + "\\" + pszName;
}
