#include "InstallFile.h"
#include "../Error.h"
#include <cstring>

IMPLEMENT_DYNCREATE(CInstallFile, CObject)

char CInstallFile::m_szWinDir[kPathBuf];
char CInstallFile::m_szSysDir[kPathBuf];
char CInstallFile::m_szCurrDir[kPathBuf];
char CInstallFile::m_szInstDir[kPathBuf];

CInstallFile::CInstallFile()
    : m_szDestDir(), m_szCurDir(), m_szSrcFile(), m_szDestFile(), m_bShared(FALSE), m_szAppDir(), m_szSrcDir() {}
CInstallFile::~CInstallFile() = default;

namespace {
// The entry as the user wrote it, short enough for a message box.
CString EntryText(const char* pszText) {
    CString text(pszText);
    int end = text.Find('\n');
    if (end >= 0) text = text.Left(end);
    if (text.GetLength() > 80) text = text.Left(80) + "...";
    return text;
}

[[noreturn]] void ThrowTooLong(const char* pszWhat, const char* pszText) {
    CString message;
    message.Format("%s is longer than %d characters: \"%s\"", pszWhat, kMaxPathChars, static_cast<const char*>(EntryText(pszText)));
    ThrowError(1, message);
}

// strtok's cut at "@", without its hidden state: the next token, or null at the end.
char* NextToken(char*& pszRest) {
    char* p = pszRest;
    while (*p == '@') ++p;
    if (!*p) return pszRest = p, nullptr;
    char* token = p;
    while (*p && *p != '@') ++p;
    if (*p) *p++ = '\0';
    pszRest = p;
    return token;
}

void CopyField(char (&szField)[kPathBuf], const char* pszText, const char* pszWhat) {
    if (!CInstallFile::SetEntry(szField, pszText)) ThrowTooLong(pszWhat, pszText);
}

void ExpandField(char (&szField)[kPathBuf], const char* pszText, const char* pszWhat) {
    if (!CInstallFile::ExpandPath(pszText, szField)) ThrowTooLong(pszWhat, pszText);
}
}  // namespace

void CInstallFile::ParseLine(char* pszLine) {
    char* rest = pszLine;
    for (int field = 1; field <= 5; ++field) {
        char* token = NextToken(rest);
        if (!token) return;
        switch (field) {
        case 1: SetSrcDir(token); break;
        case 2: CopyField(m_szSrcFile, token, "The source file name"); break;
        case 3: SetShared(token); break;
        case 4: CopyField(m_szDestFile, token, "The destination file name"); break;
        case 5: SetAppDir(token); break;
        }
    }
}

void CInstallFile::SetSrcDir(const char* pszText) { ExpandField(m_szSrcDir, pszText, "The source directory"); }
void CInstallFile::SetAppDir(const char* pszText) { ExpandField(m_szAppDir, pszText, "The application directory"); }
void CInstallFile::SetFileName(const char* pszText) { CopyField(m_szSrcFile, pszText, "The type library name"); }

const char* CInstallFile::GetAppDir() const {
    if (m_szAppDir[0] == '\0' || std::strcmp(m_szAppDir, " ") == 0) return m_szInstDir;
    return m_szAppDir;
}

const char* CInstallFile::GetSrcDir() const {
    if (std::strcmp(m_szSrcDir, " ") == 0) return m_szCurrDir;
    return m_szSrcDir;
}

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
