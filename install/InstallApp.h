// The installer's application object: the whole installation runs in InitInstance.
#pragma once
#include "../framework/WinApp.h"

class CInstallApp : public CWinApp {
public:
    BOOL InitInstance() override;
};

// Runs a program with no arguments and waits for it; the program's exit code, or -1
// when it cannot be started.
intptr_t RunAndWait(const CString& strPath);
