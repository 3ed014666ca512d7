#include "RegInfo.h"

IMPLEMENT_DYNCREATE(CRegInfo, CObject)

CRegInfo::CRegInfo(const char* pszKey) : m_strKey(pszKey) {}

int CRegInfo::FindVerb(const char* pszVerb) const {
    for (int i = 0; i < GetVerbCount(); ++i)
        if (m_verbs[i].strVerb.CompareNoCase(pszVerb) == 0) return i;
    return -1;
}

BOOL CRegInfo::UsesDde(int i) const { return IsValid(i) && m_verbs[i].bUsesDde; }

const char* CRegInfo::GetCommand(int i) {
    if (!IsValid(i)) return "";
    VerbInfo& verb = m_verbs[i];
    if (!verb.strCommand.IsEmpty() || verb.strVerb.CompareNoCase("open") == 0) return verb.strCommand;
    int open = FindVerb("open");
    if (open < 0) return "";
    verb.strCommand = GetCommand(open);
    return verb.strCommand;
}

CString ServiceFromCommand(const char* pszCommand) {
    CString rest(pszCommand);
    int stop = rest.Find('.');
    if (stop < 0) stop = rest.Find(rest.GetLength() > 0 && rest[0] == '"' ? '"' : ' ', 1);
    if (stop >= 0) rest = rest.Left(stop);
    int backslash = rest.ReverseFind('\\');
    return backslash < 0 ? CString() : rest.Mid(backslash + 1);
}

const char* CRegInfo::GetApplication(int i) {
    if (!IsValid(i)) return "";
    if (m_verbs[i].strApplication.IsEmpty()) m_verbs[i].strApplication = ServiceFromCommand(GetCommand(i));
    return m_verbs[i].strApplication;
}

const char* CRegInfo::GetTopic(int i) const {
    if (!IsValid(i) || m_verbs[i].strTopic.IsEmpty()) return "System";
    return m_verbs[i].strTopic;
}

const char* CRegInfo::GetDdeCommand(int i) const { return IsValid(i) ? static_cast<const char*>(m_verbs[i].strDdeExec) : ""; }
const char* CRegInfo::GetIfExec(int i) const { return IsValid(i) ? static_cast<const char*>(m_verbs[i].strIfExec) : ""; }

void CRegInfo::AddVerb(const char* pszVerb, const char* pszApplication, const char* pszTopic, const char* pszDdeCommand,
                       const char* pszIfExec, const char* pszCommandLine) {
    VerbInfo verb;
    verb.strVerb = pszVerb;
    verb.strCommand = pszCommandLine;
    verb.strApplication = pszApplication;
    verb.strTopic = pszTopic;
    verb.strDdeExec = pszDdeCommand;
    verb.strIfExec = pszIfExec;
    // An added verb is carried out the way the association's own "open" is.
    verb.bUsesDde = UsesDde(FindVerb("open"));
    m_verbs.push_back(verb);
}
