// The install lists: how they are read, and the retry and question policy for one file.
#pragma once
#include "Error.h"
#include "services/InstallRecord.h"
#include <cstdio>
#include <functional>

// Line buffer of the lists: a longer line comes back in pieces, each an entry of its own.
constexpr int kListLineBuf = 500;

// Calls handle for every piece fgets returns, in file order, until it returns FALSE.
// TRUE when the whole list was handled.
BOOL ForEachListLine(std::FILE* pFile, const std::function<BOOL(char*)>& handle);

// Removes the line terminator that fgets kept, if any.
void StripLineEnd(char* pszLine);

// One installation attempt of a located file, forced or not; throws CError on failure.
using InstallAttempt = std::function<void(BOOL bForce)>;
// Shows the error's text in a box of the given type (MB_OK, MB_YESNO, MB_ABORTRETRYIGNORE)
// and returns the answer (IDOK, IDYES, ...).
using AskUser = std::function<int(const CError& error, UINT nType)>;

// Installs unforced; a failure is retried forced at once without a question, and only a
// failed forced attempt is put to the user: severity 0 Abort/Retry/Ignore, severity 2
// Yes/No, severity 1 OK. TRUE when the list may go on.
BOOL InstallListedFile(const InstallAttempt& install, const AskUser& ask);

// Notes an action just done (for a file, whether the destination was there before); throws
// CError when it cannot, which stops the list like any fatal error.
using RecordAction = std::function<void(const RecordEntry& entry, bool bExisted)>;

// Installs every entry of an open fileList.txt in order: parse, locate, then the policy
// above. A failure to parse or locate an entry is shown with OK and stops the list. TRUE
// when the whole list was handled. Each file installed is handed to record, if given.
// (Windows: it calls the version-installation service.)
BOOL InstallFileList(std::FILE* pList, const AskUser& ask, const RecordAction& record = nullptr);

// Registers every type library an open regList.txt names; the first failure is shown with
// OK and stops the list. Each library registered is handed to record, if given.
BOOL RegisterTypeLibraryList(std::FILE* pList, const AskUser& ask, const RecordAction& record = nullptr);
