#include "File.h"
#include <cstring>

CFile::~CFile() { Abort(); }

BOOL CFile::Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError) {
    Abort();
    DWORD access = 0;
    switch (nOpenFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD share = 0;
    switch (nOpenFlags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: share = 0; break;
    }
    DWORD disposition = (nOpenFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    m_hFile = ::CreateFileA(lpszFileName, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) {
        if (pError) pError->m_lOsError = ::GetLastError();
        return FALSE;
    }
    return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    DWORD n = 0;
    if (!::ReadFile(m_hFile, lpBuf, nCount, &n, nullptr)) throw CFileException(::GetLastError());
    return n;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    DWORD n = 0;
    if (!::WriteFile(m_hFile, lpBuf, nCount, &n, nullptr)) throw CFileException(::GetLastError());
    if (n != nCount) throw CFileException(ERROR_DISK_FULL);
}

void CFile::Close() {
    HANDLE h = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    if (h != INVALID_HANDLE_VALUE && !::CloseHandle(h)) throw CFileException(::GetLastError());
}

void CFile::Abort() {
    if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

namespace {
CString DirectoryOf(const char* pszPath) {
    CString path(pszPath);
    int slash = path.ReverseFind('\\');
    int fwd = path.ReverseFind('/');
    if (fwd > slash) slash = fwd;
    if (slash < 0) return path.GetLength() >= 2 && path[1] == ':' ? path.Left(2) : CString(".");
    return path.Left(slash + 1);
}

// The old file must be one we may replace: a read-only or locked file refuses here, as it
// would refuse being created over.
bool MayReplace(const char* pszPath) {
    // Asked explicitly: a process with the rights to ignore the attribute must still respect it.
    DWORD attr = ::GetFileAttributesA(pszPath);
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return false;
    HANDLE h = ::CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return true;
    }
    DWORD err = ::GetLastError();
    return err == ERROR_FILE_NOT_FOUND;
}
}  // namespace

SaveResult SaveFileReplacing(const char* pszPath, const void* pData, size_t nSize) {
    if (std::strlen(pszPath) > static_cast<size_t>(kMaxPathChars) || !MayReplace(pszPath))
        return SaveResult::cannotCreate;
    char szTemp[MAX_PATH];
    if (!::GetTempFileNameA(DirectoryOf(pszPath), "vel", 0, szTemp)) return SaveResult::cannotCreate;
    CFile file;
    if (!file.Open(szTemp, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive)) {
        ::DeleteFileA(szTemp);
        return SaveResult::cannotCreate;
    }
    try {
        const auto* p = static_cast<const char*>(pData);
        for (size_t left = nSize; left > 0;) {
            UINT chunk = left > 0x10000000 ? 0x10000000 : static_cast<UINT>(left);
            file.Write(p, chunk);
            p += chunk;
            left -= chunk;
        }
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        ::DeleteFileA(szTemp);
        return SaveResult::cannotWrite;
    }
    if (!::MoveFileExA(szTemp, pszPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(szTemp);
        return SaveResult::cannotWrite;
    }
    return SaveResult::ok;
}
