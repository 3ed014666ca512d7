// The install lists against the system services: each entry gets a fresh CInstallFile.
#include "InstallLists.h"
#include "services/InstallFile.h"

BOOL InstallFileList(std::FILE* pList, const AskUser& ask) {
    return ForEachListLine(pList, [&ask](char* pszLine) {
        CInstallFile file;
        try {
            file.ParseLine(pszLine);
            file.FindDestination();
        } catch (const CError& error) {
            ask(error, MB_OK);
            return FALSE;
        }
        return InstallListedFile([&file](BOOL bForce) { file.Install(bForce); }, ask);
    });
}

BOOL RegisterTypeLibraryList(std::FILE* pList, const AskUser& ask) {
    return ForEachListLine(pList, [&ask](char* pszLine) {
        StripLineEnd(pszLine);
        CInstallFile file;
        try {
            file.SetFileName(pszLine);
            file.RegisterTypeLibrary();
        } catch (const CError& error) {
            ask(error, MB_OK);
            return FALSE;
        }
        return TRUE;
    });
}
