// CInstallFile: one install-list entry, and the process-wide directory table with its path macros.
#pragma once
#include "../../framework/Object.h"
#include "../../framework/String.h"

class CInstallFile : public CObject {
    DECLARE_DYNCREATE(CInstallFile)
public:
    CInstallFile();
    ~CInstallFile() override;

    // Cuts a fileList.txt line at "@" as the C runtime's tokeniser does (runs of "@" separate
    // like one, leading ones are skipped, nothing is trimmed) and stores fields 1 to 5.
    // Throws CError (severity 1) when a field does not fit.
    void ParseLine(char* pszLine);
    void SetSrcDir(const char* pszText);
    void SetAppDir(const char* pszText);
    void SetShared(const char* pszText) { m_bShared = pszText[0] == '1' && pszText[1] == '\0'; }
    void SetFileName(const char* pszText);
    // The effective directories: a blank (or, for the application directory, an empty)
    // field stands for the installation directory or the start directory.
    const char* GetAppDir() const;
    const char* GetSrcDir() const;

    // Asks the version-installation service where the file belongs; throws CError.
    void FindDestination();
    // Installs the file there, forced or not; throws CError.
    void Install(BOOL bForce);
    // Loads and registers the type library INSTDIR\name; throws CError (severity 1).
    void RegisterTypeLibrary();

    char m_szDestDir[kPathBuf];
    char m_szCurDir[kPathBuf];
    char m_szSrcFile[kPathBuf];
    char m_szDestFile[kPathBuf];
    BOOL m_bShared;
    char m_szAppDir[kPathBuf];
    char m_szSrcDir[kPathBuf];

    // Captures the Windows, system and current directories, then sets the installation
    // directory. FALSE, with the installation directory unchanged, when it is too long.
    static BOOL InitDirectories(CString strInstDir);
    // FALSE, with the table unchanged, when the directory has more than 259 characters.
    static BOOL SetInstallDir(CString strInstDir);
    static CString GetInstallDir() { return m_szInstDir; }
    static CString GetWinDir() { return m_szWinDir; }
    static CString GetCurrDir() { return m_szCurrDir; }

    // Expands at most one #MACRO# of pszSrc (WINDIR, SYSDIR, CURRDIR, INSTDIR; whole name,
    // case-sensitive): the text before it is dropped, the rest appended literally. An unknown,
    // unclosed or over-long name gives the empty string. FALSE, with an empty result, when
    // the expansion does not fit in a path.
    static BOOL ExpandPath(const char* pszSrc, char (&szResult)[kPathBuf]);

    // Creates the installation directory (one level). An existing directory is used as it is;
    // *pbCreated tells which happened.
    static BOOL CreateInstallDir(BOOL* pbCreated = nullptr);

    // The directory table; empty until InitDirectories.
    static char m_szWinDir[kPathBuf];
    static char m_szSysDir[kPathBuf];
    static char m_szCurrDir[kPathBuf];
    static char m_szInstDir[kPathBuf];

    // Copies pszSrc into a table entry. FALSE, entry unchanged, when it does not fit.
    static BOOL SetEntry(char (&szEntry)[kPathBuf], const char* pszSrc);
};

// Joins a file name to a directory with one backslash, unless the directory already ends in one.
CString JoinFileName(const CString& strDir, const char* pszName);
