// The installation record: what the first stage did, one action a line, so that the product
// can be removed again. ANSI text with CR LF line ends; a kind and a path separated by a tab,
// which no Windows path can hold. Lines starting with '#' are remarks.
#pragma once
#include "../../framework/Types.h"
#include <string>
#include <vector>

// Kept in the installation directory.
constexpr char kRecordFileName[] = "install.log";
// The record's first line.
constexpr char kRecordHeader[] = "# Velmora installation record: what the installer did, for uninstall.exe";

enum class RecordKind {
    directory,   // the installation directory, created by the installer
    file,        // a file of the product's own
    sharedFile,  // a shared file, counted under SharedDLLs
    typeLib,     // a registered type library
    server,      // dorvik.exe, which registered itself
};

struct RecordEntry {
    RecordKind kind;
    std::string path;
    bool operator==(const RecordEntry& o) const { return kind == o.kind && path == o.path; }
};

// One line of the record, line end included.
std::string ComposeRecordLine(const RecordEntry& entry);

// Reads a whole record. False, with the 1-based number of the first bad line, when a line is
// not a record line; a last line without a line end that does not parse is an interrupted
// write and is left out.
bool ParseRecord(const std::string& text, std::vector<RecordEntry>& entries, int& nBadLine);

// The order removal undoes the actions in: the server, the type libraries, the product's own
// files, the shared files, the directory; within each kind the latest first. An action done
// twice (an installation repeated into the same directory) is undone once, except a shared
// file, whose count was raised each time.
std::vector<RecordEntry> RemovalOrder(const std::vector<RecordEntry>& entries);

// The SharedDLLs count for a shared file that was just installed: one more than it was. A file
// that was there without a count is used by someone who did not count it: it starts at one.
DWORD RaisedSharedCount(bool bCounted, DWORD nCount, bool bFileExisted);

// What removal does with one use of a shared file: the count falls by one; at zero both the
// count and the file go. Without a count (someone removed it) the file is left alone.
struct SharedRelease {
    bool bRemoveFile;
    bool bDeleteCount;
    DWORD nCount;  // the new count when neither goes
    bool operator==(const SharedRelease& o) const {
        return bRemoveFile == o.bRemoveFile && bDeleteCount == o.bDeleteCount && nCount == o.nCount;
    }
};
SharedRelease ReleaseSharedCount(bool bCounted, DWORD nCount);
