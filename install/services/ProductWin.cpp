// The installed product's traces on the system: the record file, SharedDLLs, the entry.
#include "Product.h"
#include "../../framework/Scoped.h"
#include "../Error.h"
#include "InstallFile.h"
#include <algorithm>
#include <set>
#include <vector>

namespace {
LONG OpenMachineKey(const char* pszKey, REGSAM sam, CRegKey& key) {
    return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, sam, &key);
}

LONG CreateMachineKey(const char* pszKey, CRegKey& key) {
    return ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                             nullptr, &key, nullptr);
}

LONG SetString(HKEY key, const char* pszName, const CString& value) {
    return ::RegSetValueExA(key, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(static_cast<const char*>(value)),
                            static_cast<DWORD>(value.GetLength() + 1));
}

LONG SetDword(HKEY key, const char* pszName, DWORD n) {
    return ::RegSetValueExA(key, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);
}

CString ModulePath() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return CString();
        if (n < path.size()) return CString(path.data(), static_cast<int>(n));
        path.resize(path.size() * 2);
    }
}

// The wide form of a path, as the system takes it at any length: one that does not fit MAX_PATH
// (a file in an installation directory of up to 259 characters) gets the extended-length prefix.
std::wstring SystemPath(const CString& strPath) {
    int n = ::MultiByteToWideChar(CP_ACP, 0, strPath, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring path(n, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, strPath, -1, &path[0], n);
    path.resize(n - 1);
    if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0) return path;
    DWORD len = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (len == 0) return path;
    std::wstring full(len, L'\0');
    full.resize(::GetFullPathNameW(path.c_str(), len, &full[0], nullptr));
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// This program's version resource, read from the module itself: version.dll is not needed for
// that. A VS_VERSIONINFO node is: length, value length, type (1: text, counted in WCHARs),
// the key, then the value and the children, each aligned to four bytes.
class CVersionInfo {
public:
    CVersionInfo() {
        HRSRC res = ::FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));  // RT_VERSION
        HGLOBAL mem = res ? ::LoadResource(nullptr, res) : nullptr;
        m_pData = mem ? static_cast<const BYTE*>(::LockResource(mem)) : nullptr;
        m_nSize = m_pData ? ::SizeofResource(nullptr, res) : 0;
    }
    CString Version() const {
        Node root;
        if (!Read(m_pData, m_pData + m_nSize, root) || root.nValueBytes < sizeof(VS_FIXEDFILEINFO)) return CString();
        VS_FIXEDFILEINFO info;
        ::CopyMemory(&info, root.pValue, sizeof info);
        if (info.dwSignature != 0xFEEF04BD) return CString();
        CString s;
        s.Format("%u.%u.%u.%u", HIWORD(info.dwProductVersionMS), LOWORD(info.dwProductVersionMS),
                 HIWORD(info.dwProductVersionLS), LOWORD(info.dwProductVersionLS));
        return s;
    }
    // The string of the first string table.
    CString String(const wchar_t* pszName) const {
        Node root, files, table, value;
        if (!Read(m_pData, m_pData + m_nSize, root) || !Child(root, L"StringFileInfo", files) ||
            !Child(files, nullptr, table) || !Child(table, pszName, value) || value.nValueBytes < 2)
            return CString();
        const wchar_t* text = reinterpret_cast<const wchar_t*>(value.pValue);
        const int n = static_cast<int>(value.nValueBytes / 2) - (text[value.nValueBytes / 2 - 1] == 0 ? 1 : 0);
        CString s;
        int bytes = ::WideCharToMultiByte(CP_ACP, 0, text, n, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0) return CString();
        ::WideCharToMultiByte(CP_ACP, 0, text, n, s.GetBuffer(bytes), bytes, nullptr, nullptr);
        s.ReleaseBuffer(bytes);
        return s;
    }

private:
    struct Node {
        const wchar_t* pszKey = nullptr;
        const BYTE* pValue = nullptr;
        size_t nValueBytes = 0;
        const BYTE* pChildren = nullptr;
        const BYTE* pEnd = nullptr;
    };
    static const BYTE* Align(const BYTE* p, const BYTE* base) { return base + ((p - base + 3) & ~size_t(3)); }
    bool Read(const BYTE* p, const BYTE* end, Node& node) const {
        if (!p || end - p < 6) return false;
        const WORD nLength = reinterpret_cast<const WORD*>(p)[0], nValue = reinterpret_cast<const WORD*>(p)[1];
        const WORD nType = reinterpret_cast<const WORD*>(p)[2];
        if (nLength < 6 || nLength > end - p) return false;
        node.pEnd = p + nLength;
        node.pszKey = reinterpret_cast<const wchar_t*>(p + 6);
        const wchar_t* k = node.pszKey;
        while (reinterpret_cast<const BYTE*>(k + 1) <= node.pEnd && *k) ++k;
        if (reinterpret_cast<const BYTE*>(k + 1) > node.pEnd) return false;
        node.pValue = Align(reinterpret_cast<const BYTE*>(k + 1), m_pData);
        node.nValueBytes = nType == 1 ? nValue * 2u : nValue;
        if (node.pValue > node.pEnd || node.nValueBytes > size_t(node.pEnd - node.pValue)) return false;
        node.pChildren = std::min(Align(node.pValue + node.nValueBytes, m_pData), node.pEnd);
        return true;
    }
    // The first child with that key (any key when null).
    bool Child(const Node& parent, const wchar_t* pszKey, Node& child) const {
        for (const BYTE* p = parent.pChildren; p < parent.pEnd; p = Align(child.pEnd, m_pData)) {
            if (!Read(p, parent.pEnd, child)) return false;
            if (!pszKey || ::lstrcmpiW(child.pszKey, pszKey) == 0) return true;
        }
        return false;
    }

    const BYTE* m_pData;
    DWORD m_nSize;
};

// The same directory, written with or without a closing backslash, in any case.
bool SameDirectory(CString a, CString b) {
    while (a.GetLength() > 1 && a[a.GetLength() - 1] == '\\') a = a.Left(a.GetLength() - 1);
    while (b.GetLength() > 1 && b[b.GetLength() - 1] == '\\') b = b.Left(b.GetLength() - 1);
    return a.CompareNoCase(b) == 0;
}

// The size of the installed files in KB, rounded up, as Add or Remove Programs shows it.
DWORD EstimatedSizeKB(const CString& strInstDir) {
    std::string text;
    std::vector<RecordEntry> entries;
    int nBad = 0;
    std::set<std::string> paths = {JoinFileName(strInstDir, kRemoverName).str()};
    if (ReadRecord(JoinFileName(strInstDir, kRecordFileName), text) == ERROR_SUCCESS) {
        ParseRecord(text, entries, nBad);
        for (const RecordEntry& e : entries)
            if (e.kind == RecordKind::file || e.kind == RecordKind::sharedFile) paths.insert(e.path);
    }
    unsigned long long bytes = 0;
    for (const std::string& p : paths) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (::GetFileAttributesExA(p.c_str(), GetFileExInfoStandard, &data))
            bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return static_cast<DWORD>((bytes + 1023) / 1024);
}
}  // namespace

void AppendRecord(const CString& strInstDir, const RecordEntry& entry) {
    const CString path = JoinFileName(strInstDir, kRecordFileName);
    CHandle file(::CreateFileW(SystemPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool bNew = ::GetLastError() != ERROR_ALREADY_EXISTS;
    if (!file.IsValid()) ThrowError(1, "Unable to write the installation record " + path);
    std::string text = ComposeRecordLine(entry);
    if (bNew) text = std::string(kRecordHeader) + "\r\n" + text;
    DWORD written = 0;
    if (!::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size() || !::FlushFileBuffers(file))
        ThrowError(1, "Unable to write the installation record " + path);
}

DWORD ReadRecord(const CString& strPath, std::string& text) {
    text.clear();
    CHandle file(::CreateFileW(SystemPath(strPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return ::GetLastError();
    char buf[4096];
    DWORD n = 0;
    while (::ReadFile(file, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
    return ERROR_SUCCESS;
}

bool QuerySharedCount(const CString& strPath, DWORD& nCount) {
    CRegKey key;
    if (OpenMachineKey(kSharedDllsKey, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = sizeof nCount;
    return ::RegQueryValueExA(key, strPath, nullptr, &type, reinterpret_cast<BYTE*>(&nCount), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof nCount;
}

void RaiseSharedCount(const CString& strPath, bool bFileExisted) {
    DWORD nCount = 0;
    const bool bCounted = QuerySharedCount(strPath, nCount);
    if (SetSharedCount(strPath, RaisedSharedCount(bCounted, nCount, bFileExisted)) != ERROR_SUCCESS)
        ThrowError(1, "Unable to count the shared file " + strPath + " under SharedDLLs");
}

LONG SetSharedCount(const CString& strPath, DWORD nCount) {
    CRegKey key;
    LONG r = CreateMachineKey(kSharedDllsKey, key);
    return r != ERROR_SUCCESS ? r : SetDword(key, strPath, nCount);
}

LONG DeleteSharedCount(const CString& strPath) {
    CRegKey key;
    LONG r = OpenMachineKey(kSharedDllsKey, KEY_SET_VALUE, key);
    if (r == ERROR_SUCCESS) r = ::RegDeleteValueA(key, strPath);
    return r == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : r;
}

void WriteProductEntry(const CString& strInstDir) {
    const CVersionInfo version;
    const CString remover = JoinFileName(strInstDir, kRemoverName);
    CRegKey key;
    LONG r = CreateMachineKey(kUninstallKey, key);
    const struct {
        const char* name;
        CString value;
    } strings[] = {
        {"DisplayName", version.String(L"ProductName")},
        {"DisplayVersion", version.Version()},
        {"Publisher", version.String(L"CompanyName")},
        {"InstallLocation", strInstDir},
        {"UninstallString", "\"" + remover + "\""},
        {"DisplayIcon", remover},
    };
    for (const auto& s : strings)
        if (r == ERROR_SUCCESS) r = SetString(key, s.name, s.value);
    if (r == ERROR_SUCCESS) r = SetDword(key, "NoModify", 1);
    if (r == ERROR_SUCCESS) r = SetDword(key, "NoRepair", 1);
    if (r == ERROR_SUCCESS) r = SetDword(key, "EstimatedSize", EstimatedSizeKB(strInstDir));
    if (r != ERROR_SUCCESS) ThrowError(1, "Unable to register Velmora under Add or Remove Programs");
}

LONG RemoveProductEntry(const CString& strInstDir) {
    {
        CRegKey key;
        LONG r = OpenMachineKey(kUninstallKey, KEY_QUERY_VALUE, key);
        if (r == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (r != ERROR_SUCCESS) return r;
        char location[MAX_PATH * 2] = {};
        DWORD type = 0, size = sizeof location - 1;
        r = ::RegQueryValueExA(key, "InstallLocation", nullptr, &type, reinterpret_cast<BYTE*>(location), &size);
        if (r == ERROR_SUCCESS && type == REG_SZ && !SameDirectory(location, strInstDir))
            return ERROR_SUCCESS;  // another installation's now
    }
    // The entry has values only, no subkeys.
    LONG r = ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    return r == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : r;
}

CString ProgramDir() {
    const CString path = ModulePath();
    const int slash = path.ReverseFind('\\');
    return slash < 0 ? CString() : path.Left(slash);
}
