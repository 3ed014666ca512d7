#include "StartMode.h"
#include "../framework/CommandLine.h"
#include "../framework/Types.h"
#include <cstring>

StartMode GetStartMode(const char* pszCmdLine) {
    for (const std::string& arg : SplitArguments(pszCmdLine))
        if (IsSwitch(arg, "Embedding") || IsSwitch(arg, "Automation")) return StartMode::automation;
    size_t n = std::strlen(pszCmdLine);
    if (n == 0) return StartMode::firstStage;
    if (n > static_cast<size_t>(kMaxPathChars)) return StartMode::tooLong;
    return StartMode::secondStage;
}
