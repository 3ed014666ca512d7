#include "RemovalReport.h"
#include "../framework/CommandLine.h"
#include <cctype>
#include <cstdlib>

std::string ComposeRemovalReport(const RemovalOutcome& outcome) {
    std::string text = outcome.failed.empty() ? "Velmora was removed from your computer."
                                              : "Velmora was removed from your computer, but not completely.";
    if (!outcome.scheduled.empty()) {
        text += "\n\nThese files are in use or protected. They will be removed when Windows restarts:";
        for (const std::string& s : outcome.scheduled) text += "\n" + s;
    }
    if (!outcome.failed.empty()) {
        text += "\n\nThese could not be removed:";
        for (const std::string& s : outcome.failed) text += "\n" + s;
    }
    if (!outcome.keptDir.empty())
        text += "\n\nThe folder " + outcome.keptDir + " was kept: it holds files that Velmora did not install.";
    return text;
}

namespace {
bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}
}  // namespace

UninstallRun ParseUninstallArgs(const char* pszArgs) {
    UninstallRun run;
    const std::vector<std::string> args = SplitArguments(pszArgs);
    if (args.size() < 3 || args.size() > 4 || !IsSwitch(args[0], "Finish")) return run;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(args[1].c_str(), &end, 10);
    if (args[1].empty() || *end != '\0' || n == 0 || args[2].empty()) return run;
    // Only the remover itself, and only its own directory: never any other file.
    const std::string& exe = args[2];
    const size_t slash = exe.find_last_of('\\');
    if (slash == std::string::npos || !SameText(exe.substr(slash + 1), "uninstall.exe")) return run;
    if (args.size() == 4 && !SameText(args[3], exe.substr(0, slash)) && !SameText(args[3], exe.substr(0, slash + 1)))
        return run;
    run.bFinish = true;
    run.nWaitHandle = n;
    run.strExe = exe;
    if (args.size() == 4) run.strDir = args[3];
    return run;
}

namespace {
// A path as one argument: quoted, with the backslashes before the closing quote doubled so
// that they stay backslashes (no path holds a quote).
std::string Quote(const std::string& s) {
    size_t n = 0;
    while (n < s.size() && s[s.size() - 1 - n] == '\\') ++n;
    return "\"" + s + std::string(n, '\\') + "\"";
}
}  // namespace

std::string ComposeFinishArgs(uint64_t nWaitHandle, const std::string& strExe, const std::string& strDir) {
    std::string args = "/Finish " + std::to_string(nWaitHandle) + " " + Quote(strExe);
    if (!strDir.empty()) args += " " + Quote(strDir);
    return args;
}
