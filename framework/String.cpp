#include "String.h"
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
unsigned char Lower(char c) { return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c))); }
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}

int CString::CompareNoCase(const char* psz) const {
    const char* a = m_s.c_str();
    const char* b = psz ? psz : "";
    for (;; ++a, ++b) {
        int d = Lower(*a) - Lower(*b);
        if (d != 0 || *a == '\0') return d;
    }
}

int CString::Find(char ch, int nStart) const {
    if (nStart < 0 || nStart >= GetLength()) return -1;
    auto p = m_s.find(ch, nStart);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char* psz, int nStart) const {
    if (nStart < 0 || nStart > GetLength()) return -1;
    auto p = m_s.find(psz ? psz : "", nStart);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char ch) const {
    auto p = m_s.rfind(ch);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

CString CString::Left(int n) const { return Mid(0, n); }
CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }
CString CString::Mid(int nFirst, int nCount) const {
    if (nFirst < 0) nFirst = 0;
    if (nFirst >= GetLength() || nCount <= 0) return CString();
    if (nCount > GetLength() - nFirst) nCount = GetLength() - nFirst;
    return CString(m_s.data() + nFirst, nCount);
}
CString CString::Right(int n) const {
    if (n <= 0) return CString();
    if (n >= GetLength()) return *this;
    return Mid(GetLength() - n);
}

void CString::MakeUpper() { for (auto& c : m_s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
void CString::MakeLower() { for (auto& c : m_s) c = static_cast<char>(Lower(c)); }

void CString::TrimLeft() {
    size_t i = 0;
    while (i < m_s.size() && IsBlank(m_s[i])) ++i;
    m_s.erase(0, i);
}
void CString::TrimRight() {
    size_t n = m_s.size();
    while (n > 0 && IsBlank(m_s[n - 1])) --n;
    m_s.resize(n);
}

void CString::Format(const char* pszFormat, ...) {
    va_list ap;
    va_start(ap, pszFormat);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, pszFormat, ap);
    va_end(ap);
    if (n < 0) { va_end(ap2); m_s.clear(); return; }
    std::string s(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(&s[0], s.size(), pszFormat, ap2);
    va_end(ap2);
    s.resize(n);
    m_s.swap(s);
}

char* CString::GetBuffer(int nMinLength) {
    if (nMinLength > GetLength()) m_s.resize(nMinLength);
    return &m_s[0];
}

void CString::ReleaseBuffer(int nNewLength) {
    if (nNewLength < 0) nNewLength = static_cast<int>(std::strlen(m_s.c_str()));
    if (nNewLength < GetLength()) m_s.resize(nNewLength);
}
