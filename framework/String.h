// CString: the framework's narrow (ANSI) string, a value type.
#pragma once
#include "Types.h"
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_s(psz ? psz : "") {}
    CString(const char* pch, int nLength) : m_s(pch, nLength > 0 ? nLength : 0) {}
    CString(char ch, int nRepeat = 1) : m_s(nRepeat > 0 ? nRepeat : 0, ch) {}

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    char GetAt(int i) const { return m_s[i]; }
    char operator[](int i) const { return m_s[i]; }
    operator const char*() const { return m_s.c_str(); }

    CString& operator=(const char* psz) { m_s = psz ? psz : ""; return *this; }
    CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
    CString& operator+=(const char* psz) { if (psz) m_s += psz; return *this; }
    CString& operator+=(char ch) { m_s += ch; return *this; }
    friend CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
    friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

    int Compare(const char* psz) const { return m_s.compare(psz ? psz : ""); }
    int CompareNoCase(const char* psz) const;
    int Find(char ch, int nStart = 0) const;
    int Find(const char* psz, int nStart = 0) const;
    int ReverseFind(char ch) const;
    CString Left(int n) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Right(int n) const;
    void MakeUpper();
    void MakeLower();
    void TrimLeft();
    void TrimRight();
    void Format(const char* pszFormat, ...)
#ifdef __GNUC__
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    // Direct access for APIs that fill a buffer: ReleaseBuffer(-1) takes the length up to the first NUL.
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

#ifdef _WIN32
    BOOL LoadString(UINT nID);
#endif

    const std::string& str() const { return m_s; }

private:
    std::string m_s;
};
