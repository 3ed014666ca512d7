// CRegInfo::Load: the association walk through the narrow registry functions, read only.
#include "RegInfo.h"
#include "../framework/Scoped.h"
#include <vector>

namespace {

bool Fail(CString& strError, const char* pszStep, LONG code) {
    strError.Format("Error: %s = %ld", pszStep, static_cast<long>(code));
    return false;
}

bool Open(HKEY hParent, const char* pszName, CRegKey& key, CString& strError) {
    LONG r = ::RegOpenKeyExA(hParent, pszName, 0, KEY_READ, &key);
    return r == ERROR_SUCCESS || Fail(strError, "RegOpenKeyEx", r);
}

bool CountSubkeys(HKEY hKey, DWORD& nSubKeys, DWORD& nMaxNameLen, CString& strError) {
    LONG r = ::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &nSubKeys, &nMaxNameLen, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr);
    return r == ERROR_SUCCESS || Fail(strError, "RegQueryInfoKey", r);
}

// The name of subkey i, whatever its length.
bool EnumSubkey(HKEY hKey, DWORD i, DWORD nMaxNameLen, CString& strName, CString& strError) {
    std::vector<char> name(nMaxNameLen + 1 > MAX_PATH ? nMaxNameLen + 1 : MAX_PATH);
    LONG r = ::RegEnumKeyA(hKey, i, name.data(), static_cast<DWORD>(name.size()));
    if (r != ERROR_SUCCESS) return Fail(strError, "RegEnumKey", r);
    strName = name.data();
    return true;
}

// REG_EXPAND_SZ text with its environment variables expanded, whatever the length.
CString Expand(const CString& strText) {
    std::vector<char> out(strText.GetLength() + 1 > MAX_PATH ? strText.GetLength() + 1 : MAX_PATH);
    for (;;) {
        DWORD n = ::ExpandEnvironmentStringsA(strText, out.data(), static_cast<DWORD>(out.size()));
        if (n == 0) return strText;  // nothing to expand with: the text as stored
        if (n <= out.size()) return CString(out.data());
        out.resize(n);
    }
}

// Whether the key's default (unnamed) value must exist: the extension's names the file type,
// while a verb's subkey without one reads as the empty text, as if the subkey were missing.
enum class Default { Required, Optional };

// The key's default value, which must be a string (REG_SZ, or REG_EXPAND_SZ, expanded).
bool ReadDefaultValue(HKEY hKey, CString& strValue, CString& strError, Default need = Default::Optional) {
    DWORD nValues = 0, nMaxName = 0, nMaxData = 0;
    LONG r = ::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nValues, &nMaxName,
                                &nMaxData, nullptr, nullptr);
    if (r != ERROR_SUCCESS) return Fail(strError, "RegQueryInfoKey", r);
    std::vector<char> name(nMaxName + 2);
    std::vector<BYTE> data(nMaxData + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nName = static_cast<DWORD>(name.size()), nData = static_cast<DWORD>(data.size()), type = 0;
        r = ::RegEnumValueA(hKey, i, name.data(), &nName, nullptr, &type, data.data(), &nData);
        if (r == ERROR_NO_MORE_ITEMS && need == Default::Optional) {
            strValue.Empty();
            return true;
        }
        // The end of the values (259) without an unnamed one: no file type to follow.
        if (r != ERROR_SUCCESS) return Fail(strError, "RegEnumValue", r);
        if (nName != 0) continue;
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            strError = "Invalid Return Type";
            return false;
        }
        // The data need not carry its terminator; it ends at the first one it holds.
        DWORD n = 0;
        while (n < nData && data[n] != 0) ++n;
        strValue = CString(reinterpret_cast<const char*>(data.data()), static_cast<int>(n));
        if (type == REG_EXPAND_SZ) strValue = Expand(strValue);
        return true;
    }
}

bool ReadDdeExec(HKEY hDdeExec, VerbInfo& verb, CString& strError) {
    verb.bUsesDde = TRUE;
    struct Field {
        const char* name;
        CString* value;
    } fields[] = {{"Application", &verb.strApplication}, {"ifexec", &verb.strIfExec}, {"Topic", &verb.strTopic}};
    for (const Field& f : fields) {
        CRegKey key;
        LONG r = ::RegOpenKeyExA(hDdeExec, f.name, 0, KEY_READ, &key);
        if (r == ERROR_FILE_NOT_FOUND) continue;
        if (r != ERROR_SUCCESS) return Fail(strError, "RegOpenKeyEx", r);
        if (!ReadDefaultValue(key, *f.value, strError)) return false;
    }
    return true;
}

bool ReadVerb(HKEY hShell, const CString& strName, VerbInfo& verb, CString& strError) {
    CRegKey verbKey;
    DWORD nSubKeys = 0, nMaxNameLen = 0;
    if (!Open(hShell, strName, verbKey, strError) || !CountSubkeys(verbKey, nSubKeys, nMaxNameLen, strError)) return false;
    verb = VerbInfo();
    for (DWORD i = 0; i < nSubKeys; ++i) {
        CString strSub;
        CRegKey sub;
        if (!EnumSubkey(verbKey, i, nMaxNameLen, strSub, strError) || !Open(verbKey, strSub, sub, strError)) return false;
        if (strSub.CompareNoCase("command") == 0) {
            if (!ReadDefaultValue(sub, verb.strCommand, strError)) return false;
        } else if (strSub.CompareNoCase("ddeexec") == 0) {
            if (!ReadDefaultValue(sub, verb.strDdeExec, strError) || !ReadDdeExec(sub, verb, strError)) return false;
        }
    }
    return true;
}
}  // namespace

BOOL CRegInfo::Load(CString& strError) {
    CRegKey extKey, typeKey, shellKey;
    if (!Open(HKEY_CLASSES_ROOT, m_strKey, extKey, strError) || !ReadDefaultValue(extKey, m_strFileType, strError, Default::Required))
        return FALSE;
    DWORD nVerbs = 0, nMaxNameLen = 0;
    if (!Open(HKEY_CLASSES_ROOT, m_strFileType, typeKey, strError) || !Open(typeKey, "shell", shellKey, strError) ||
        !CountSubkeys(shellKey, nVerbs, nMaxNameLen, strError))
        return FALSE;
    m_verbs.clear();
    for (DWORD i = 0; i < nVerbs; ++i) {
        CString strName;
        VerbInfo verb;
        if (!EnumSubkey(shellKey, i, nMaxNameLen, strName, strError) || !ReadVerb(shellKey, strName, verb, strError))
            return FALSE;
        verb.strVerb = strName;
        m_verbs.push_back(verb);
    }
    return TRUE;
}
