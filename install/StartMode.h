// Which run of the installer a command line asks for.
#pragma once

enum class StartMode {
    firstStage,   // empty command line
    secondStage,  // the command line is the installation directory, verbatim
    automation,   // the framework's Embedding/Automation switch: nothing to install, end at once
    tooLong,      // longer than a path can be: refused with a message
};

// pszCmdLine is the application's command line (after the program name and its blanks).
StartMode GetStartMode(const char* pszCmdLine);
