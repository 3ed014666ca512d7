#include "File.h"
#include <string>

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
// A temporary name of our own is the file's name and ".~" with four hex digits.
constexpr size_t kTempSuffixChars = 6;
// The longest file name NTFS and FAT hold.
constexpr size_t kMaxComponentChars = 255;

// The wide form of an ANSI path, as the system takes it at any length: a path that would not
// fit MAX_PATH with a temporary suffix (a file in a directory of up to 259 characters) is made
// absolute and given the extended-length prefix, which the ANSI calls cannot take.
std::wstring SystemPath(const char* pszPath) {
    int n = ::MultiByteToWideChar(CP_ACP, 0, pszPath, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring path(n, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, pszPath, -1, &path[0], n);
    path.resize(n - 1);
    if (path.size() + kTempSuffixChars < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0) return path;
    DWORD len = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (len == 0) return path;
    std::wstring full(len, L'\0');
    len = ::GetFullPathNameW(path.c_str(), len, &full[0], nullptr);
    full.resize(len);
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::wstring DirectoryOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : L".";
    return path.substr(0, slash + 1);
}

// The old file must be one we may replace: a read-only or locked file refuses here, as it
// would refuse being created over.
bool MayReplace(const std::wstring& path) {
    // Asked explicitly: a process with the rights to ignore the attribute must still respect it.
    DWORD attr = ::GetFileAttributesW(path.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return false;
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return true;
    }
    return ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Opens a new temporary file beside the path. The system makes names only in a directory of at
// most MAX_PATH - 14 characters; beside a longer one the name is the file's own with a short
// unique suffix.
bool CreateTemporaryBeside(const std::wstring& path, CFile& file, std::wstring& temp) {
    const std::wstring dir = DirectoryOf(path);
    WCHAR szTemp[MAX_PATH];
    if (dir.size() <= MAX_PATH - 14 && ::GetTempFileNameW(dir.c_str(), L"vel", 0, szTemp)) {
        temp = szTemp;
        file.m_hFile = ::CreateFileW(szTemp, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file.m_hFile != INVALID_HANDLE_VALUE) return true;
        ::DeleteFileW(szTemp);
        return false;
    }
    const DWORD start = ::GetTickCount() ^ ::GetCurrentProcessId();
    for (DWORD i = 0; i < 0x10000; ++i) {
        WCHAR suffix[8];
        wsprintfW(suffix, L".~%04x", static_cast<unsigned>((start + i) & 0xFFFF));
        temp = path + suffix;
        file.m_hFile = ::CreateFileW(temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file.m_hFile != INVALID_HANDLE_VALUE) return true;
        DWORD err = ::GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}
}  // namespace

SaveResult SaveFileReplacing(const char* pszPath, const void* pData, size_t nSize) {
    const std::wstring path = SystemPath(pszPath);
    // A name longer than a file system holds is refused before anything is written.
    const size_t slash = path.find_last_of(L"\\/");
    const size_t nameLen = path.size() - (slash == std::wstring::npos ? 0 : slash + 1);
    if (path.empty() || nameLen > kMaxComponentChars || !MayReplace(path)) return SaveResult::cannotCreate;
    CFile file;
    std::wstring temp;
    if (!CreateTemporaryBeside(path, file, temp)) return SaveResult::cannotCreate;
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
        ::DeleteFileW(temp.c_str());
        return SaveResult::cannotWrite;
    }
    if (!::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temp.c_str());
        return SaveResult::cannotWrite;
    }
    return SaveResult::ok;
}
