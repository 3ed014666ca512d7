// CFile: a file handle with the framework's open flags; failures throw CFileException.
#pragma once
#include "String.h"
#include <windows.h>

class CFileException {
public:
    explicit CFileException(DWORD lOsError = 0) : m_lOsError(lOsError) {}
    DWORD m_lOsError;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
    };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    BOOL Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    UINT Read(void* lpBuf, UINT nCount);
    void Write(const void* lpBuf, UINT nCount);
    void Close();
    void Abort();  // close, ignoring errors
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};

// Writes a whole file through a temporary file beside it, renamed over the old one only
// once every byte is written, so a failure never leaves an empty or cut-short file.
enum class SaveResult { ok, cannotCreate, cannotWrite };
SaveResult SaveFileReplacing(const char* pszPath, const void* pData, size_t nSize);
