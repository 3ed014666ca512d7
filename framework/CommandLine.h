// How a program's command line is taken apart, as the C runtime and the framework do it.
#pragma once
#include <string>
#include <vector>

// The application's command line: what follows the program name and the blanks after it,
// verbatim (quotes kept, trailing blanks kept). The program name may be quoted.
const char* SkipProgramName(const char* pszCommandLine);

// The argument vector the C runtime builds from the arguments part of a command line
// (blanks separate; quotes group; 2n backslashes before a quote give n and the quote
// counts, 2n+1 give n and a literal quote; "" inside quotes is a literal quote).
std::vector<std::string> SplitArguments(const char* pszArguments);

// True when an argument is the framework's switch of that name: "-" or "/" followed by
// the name in any case.
bool IsSwitch(const std::string& arg, const char* pszName);
