// The steps of a removal against the system; each says how it went instead of throwing.
#pragma once
#include "../framework/String.h"
#include "RemovalReport.h"

// Runs "dorvik.exe /UnregServer" and waits: exit code 0 is done; anything else goes to
// outcome.failed.
void UnregisterServer(const CString& strExe, RemovalOutcome& outcome);
// Unregisters the type library in the file with the attributes the file itself holds, when
// its registration names this file. One no longer registered, or registered from another
// file, is done.
void UnregisterTypeLibFile(const CString& strPath, RemovalOutcome& outcome);
// Deletes a file; one in use or protected is scheduled for deletion at restart. A file that
// is not there is done.
void RemoveFile(const CString& strPath, RemovalOutcome& outcome);
// One use less of a shared file; the file goes with its last use.
void ReleaseSharedFile(const CString& strPath, RemovalOutcome& outcome);

// True when the directory holds nothing but the names in keep (compared without case).
bool DirectoryHoldsOnly(const CString& strDir, const std::vector<std::string>& keep);

// Deletes this running program and then the directory (if not empty) after it has ended: a
// copy in the temporary folder does it. FALSE when the copy cannot be started.
BOOL StartFinisher(const CString& strExe, const CString& strDir);
// The copy's work (uninstall.exe /Finish): waits for the original to end, deletes it, and
// removes the directory.
void Finish(const UninstallRun& run);
