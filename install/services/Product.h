// The product as Windows knows it once installed: the installation record on disk, the
// SharedDLLs counts and the Add or Remove Programs entry. Used by the installer, which writes
// them, and by uninstall.exe, which takes them away again.
#pragma once
#include "../../framework/String.h"
#include "InstallRecord.h"
#include <windows.h>
#include <string>

constexpr char kRemoverName[] = "uninstall.exe";
// Both under HKEY_LOCAL_MACHINE, in the view of the program's own bitness.
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
constexpr char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// Appends one action to the record in strInstDir and flushes it to disk before returning; a
// new record starts with its header. Throws CError (fatal) when it cannot.
void AppendRecord(const CString& strInstDir, const RecordEntry& entry);
// The whole record file: ERROR_SUCCESS, or the system's error (ERROR_FILE_NOT_FOUND: none).
DWORD ReadRecord(const CString& strPath, std::string& text);

// The count SharedDLLs keeps for a path; false when there is none (or not a REG_DWORD).
bool QuerySharedCount(const CString& strPath, DWORD& nCount);
// One more use of a shared file just installed. Throws CError (fatal) when it cannot.
void RaiseSharedCount(const CString& strPath, bool bFileExisted);
// Writes the new count, or deletes it; ERROR_SUCCESS or the registry's error.
LONG SetSharedCount(const CString& strPath, DWORD nCount);
LONG DeleteSharedCount(const CString& strPath);

// Writes the product's Add or Remove Programs entry for an installation in strInstDir, whose
// remover is already there; names and version from this program's version resource, the
// size from the files the record names. Throws CError (fatal).
void WriteProductEntry(const CString& strInstDir);
// Deletes the entry when it belongs to the installation in strInstDir (another installation
// of the product may have written it since). ERROR_SUCCESS also when there is none.
LONG RemoveProductEntry(const CString& strInstDir);

// The directory of this program's executable, without a trailing backslash.
CString ProgramDir();
