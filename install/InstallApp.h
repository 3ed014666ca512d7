// The installer's application object: the whole installation runs in InitInstance.
#pragma once
#include "../framework/WinApp.h"

class CInstallApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
