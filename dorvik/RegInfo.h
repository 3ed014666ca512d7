// CRegInfo: the shell association of one key (a file-name extension) as HKEY_CLASSES_ROOT
// records it, read once and kept by the automation object.
#pragma once
#include "../framework/Object.h"
#include "../framework/String.h"
#include <vector>

// One verb of the file type. Every text is kept whole, whatever its length.
struct VerbInfo {
    CString strVerb;
    CString strCommand;      // default value of command
    CString strApplication;  // ddeexec\Application: the DDE service
    CString strTopic;        // ddeexec\Topic
    BOOL bUsesDde = FALSE;   // the verb has a ddeexec key
    CString strIfExec;       // ddeexec\ifexec: kept, not used
    CString strDdeExec;      // default value of ddeexec: the DDE execute command
};

class CRegInfo : public CObject {
    DECLARE_DYNCREATE(CRegInfo)
public:
    explicit CRegInfo(const char* pszKey = "");
    ~CRegInfo() override = default;

    // Reads the association from the registry; on failure strError holds the failing step.
    BOOL Load(CString& strError);

    // Index of the first verb of that name in any case, or -1.
    int FindVerb(const char* pszVerb) const;
    BOOL UsesDde(int i) const;
    // The verb's command line; a verb without one borrows the "open" verb's and keeps it.
    const char* GetCommand(int i);
    // The DDE service; without one, the program's base name from the command line, kept.
    const char* GetApplication(int i);
    // The DDE topic, "System" when the association names none.
    const char* GetTopic(int i) const;
    const char* GetDdeCommand(int i) const;
    const char* GetIfExec(int i) const;
    void AddVerb(const char* pszVerb, const char* pszApplication, const char* pszTopic, const char* pszDdeCommand,
                 const char* pszIfExec, const char* pszCommandLine);
    const char* GetKey() const { return m_strKey; }
    const char* GetFileType() const { return m_strFileType; }
    int GetVerbCount() const { return static_cast<int>(m_verbs.size()); }
    const VerbInfo& GetVerb(int i) const { return m_verbs[i]; }

    // A verb as the registry gave it, in enumeration order.
    void AddLoadedVerb(const VerbInfo& verb) { m_verbs.push_back(verb); }

private:
    bool IsValid(int i) const { return i >= 0 && i < GetVerbCount(); }

    CString m_strFileType;
    CString m_strKey;
    std::vector<VerbInfo> m_verbs;
};

// The service name a command line implies: the text before its first full stop, after the
// last backslash (C:\Apps\WRITER.EXE /n gives WRITER). Without a full stop the program path
// ends at its closing quote, or at the first blank when unquoted. Empty when there is no backslash.
CString ServiceFromCommand(const char* pszCommand);
