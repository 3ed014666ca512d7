// CServerApp: dorvik's application object. With "Embedding" or "Automation" on its command
// line it serves DORVIK.DDEINTFC to OLE; with "UnregServer" it removes its registration and
// ends; otherwise it writes its class registration and type library and ends.
#pragma once
#include "../framework/WinApp.h"

class CServerApp : public CWinApp {
public:
    CServerApp() = default;
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    CString m_strCmdLine;  // the command line without the server switch
};
