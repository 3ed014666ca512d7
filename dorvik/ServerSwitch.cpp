#include "ServerSwitch.h"
#include <cctype>
#include <cstring>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool MatchesNoCase(const std::string& s, std::string::size_type at, const char* name) {
    for (; *name; ++at, ++name)
        if (at >= s.size() || std::tolower(static_cast<unsigned char>(s[at])) != std::tolower(static_cast<unsigned char>(*name)))
            return false;
    return true;
}
}  // namespace

bool TakeSwitch(std::string& cmdLine, const char* name) {
    const std::string::size_type len = std::strlen(name);
    for (std::string::size_type i = 0; i < cmdLine.size(); ++i) {
        if (cmdLine[i] != '-' && cmdLine[i] != '/') continue;
        if (i > 0 && !IsBlank(cmdLine[i - 1])) continue;
        std::string::size_type end = i + 1 + len;
        if (!MatchesNoCase(cmdLine, i + 1, name) || (end < cmdLine.size() && !IsBlank(cmdLine[end]))) continue;
        while (end < cmdLine.size() && IsBlank(cmdLine[end])) ++end;
        cmdLine.erase(i, end - i);
        return true;
    }
    return false;
}

bool TakeServerSwitch(std::string& cmdLine) {
    return TakeSwitch(cmdLine, "Embedding") || TakeSwitch(cmdLine, "Automation");
}

ServerRun TakeRunSwitch(std::string& cmdLine) {
    if (TakeServerSwitch(cmdLine)) return ServerRun::Serve;
    if (TakeSwitch(cmdLine, "UnregServer")) return ServerRun::Unregister;
    TakeSwitch(cmdLine, "RegServer");
    return ServerRun::Register;
}
