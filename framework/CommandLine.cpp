#include "CommandLine.h"
#include <cctype>

namespace {
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
}

const char* SkipProgramName(const char* p) {
    if (!p) return "";
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && !IsBlankOrControl(*p)) ++p;
    }
    while (*p && IsBlankOrControl(*p)) ++p;
    return p;
}

std::vector<std::string> SplitArguments(const char* p) {
    std::vector<std::string> args;
    if (!p) return args;
    for (;;) {
        while (*p == ' ' || *p == '\t') ++p;
        if (!*p) return args;
        std::string arg;
        bool inQuotes = false;
        while (*p && (inQuotes || (*p != ' ' && *p != '\t'))) {
            size_t backslashes = 0;
            while (*p == '\\') { ++backslashes; ++p; }
            if (*p == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2) {
                    arg += '"';
                } else if (inQuotes && p[1] == '"') {
                    arg += '"';
                    ++p;
                } else {
                    inQuotes = !inQuotes;
                }
                ++p;
            } else {
                arg.append(backslashes, '\\');
                if (*p && (inQuotes || (*p != ' ' && *p != '\t'))) arg += *p++;
            }
        }
        args.push_back(arg);
    }
}

bool IsSwitch(const std::string& arg, const char* pszName) {
    if (arg.size() < 2 || (arg[0] != '-' && arg[0] != '/')) return false;
    const char* a = arg.c_str() + 1;
    for (; *a && *pszName; ++a, ++pszName)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*pszName))) return false;
    return *a == '\0' && *pszName == '\0';
}
