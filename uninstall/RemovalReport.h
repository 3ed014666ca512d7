// What uninstall.exe tells the user at the end, and how it reads its own command line.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct RemovalOutcome {
    std::vector<std::string> scheduled;  // in use or protected: removed when Windows restarts
    std::vector<std::string> failed;     // what could not be undone, each with its reason
    std::string keptDir;                 // the installation directory, kept for files the user added
};

// The closing message: that the product is gone, then each group that is not empty.
std::string ComposeRemovalReport(const RemovalOutcome& outcome);

// uninstall.exe runs once from the installation directory and then, from a copy in the
// temporary folder, finishes what a running program cannot do to itself:
//   /Finish HANDLE "EXE" ["DIR"]  waits for the process HANDLE (inherited) to end, then
//                                  deletes EXE and removes the empty directory DIR.
// EXE must be an uninstall.exe and DIR its directory. Any other command line is an ordinary run.
struct UninstallRun {
    bool bFinish = false;
    uint64_t nWaitHandle = 0;
    std::string strExe;
    std::string strDir;
};
UninstallRun ParseUninstallArgs(const char* pszArgs);
// The arguments of a /Finish run, which ParseUninstallArgs reads back as they were.
std::string ComposeFinishArgs(uint64_t nWaitHandle, const std::string& strExe, const std::string& strDir);
