#include "InstallLists.h"
#include <cstring>

BOOL ForEachListLine(std::FILE* pFile, const std::function<BOOL(char*)>& handle) {
    char line[kListLineBuf];
    while (std::fgets(line, sizeof line, pFile))
        if (!handle(line)) return FALSE;
    return TRUE;
}

void StripLineEnd(char* pszLine) {
    size_t n = std::strlen(pszLine);
    if (n > 0 && pszLine[n - 1] == '\n') pszLine[n - 1] = '\0';
}

BOOL InstallListedFile(const InstallAttempt& install, const AskUser& ask) {
    BOOL bForce = FALSE;
    for (;;) {
        try {
            install(bForce);
            return TRUE;
        } catch (const CError& error) {
            if (!bForce) {
                bForce = TRUE;  // the service's forced mode, without asking
                continue;
            }
            if (error.IsQuery()) {
                switch (ask(error, MB_ABORTRETRYIGNORE)) {
                case IDRETRY: continue;
                case IDIGNORE: return TRUE;
                default: return FALSE;
                }
            }
            if (error.IsFileQuery()) {
                if (ask(error, MB_YESNO) == IDYES) continue;
                return TRUE;
            }
            ask(error, MB_OK);
            return FALSE;
        }
    }
}
