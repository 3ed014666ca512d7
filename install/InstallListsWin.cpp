// The install lists against the system services: each entry gets a fresh CInstallFile.
#include "InstallLists.h"
#include "services/InstallFile.h"
#include <windows.h>

BOOL InstallFileList(std::FILE* pList, const AskUser& ask, const RecordAction& record) {
    return ForEachListLine(pList, [&ask, &record](char* pszLine) {
        CInstallFile file;
        try {
            file.ParseLine(pszLine);
            file.FindDestination();
        } catch (const CError& error) {
            ask(error, MB_OK);
            return FALSE;
        }
        const CString strDest = JoinFileName(file.m_szDestDir, file.m_szDestFile);
        const bool bExisted = ::GetFileAttributesA(strDest) != INVALID_FILE_ATTRIBUTES;
        bool bInstalled = false;
        if (!InstallListedFile(
                [&file, &bInstalled](BOOL bForce) {
                    file.Install(bForce);
                    bInstalled = true;
                },
                ask))
            return FALSE;
        if (!bInstalled || !record) return TRUE;  // skipped by the user's answer
        try {
            record({file.m_bShared ? RecordKind::sharedFile : RecordKind::file, strDest.str()}, bExisted);
        } catch (const CError& error) {
            ask(error, MB_OK);
            return FALSE;
        }
        return TRUE;
    });
}

BOOL RegisterTypeLibraryList(std::FILE* pList, const AskUser& ask, const RecordAction& record) {
    return ForEachListLine(pList, [&ask, &record](char* pszLine) {
        StripLineEnd(pszLine);
        CInstallFile file;
        try {
            file.SetFileName(pszLine);
            file.RegisterTypeLibrary();
            if (record) record({RecordKind::typeLib, (CString(file.GetAppDir()) + "\\" + file.m_szSrcFile).str()}, true);
        } catch (const CError& error) {
            ask(error, MB_OK);
            return FALSE;
        }
        return TRUE;
    });
}
