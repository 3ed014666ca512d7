// The DDE management library calls of dorvik's DDE client, behind one small interface: the
// real calls in production, and in tests a wrapper that delivers the notices Wine never sends
// (a partner's disconnect while a transaction waits).
#pragma once
#include <windows.h>
#include <ddeml.h>

class IDdeLibrary {
public:
    virtual UINT Initialize(DWORD* pidInst, PFNCALLBACK pfnCallback, DWORD afCmd) = 0;
    virtual BOOL Uninitialize(DWORD idInst) = 0;
    virtual HSZ CreateStringHandle(DWORD idInst, const char* psz) = 0;  // CP_WINANSI
    virtual BOOL FreeStringHandle(DWORD idInst, HSZ hsz) = 0;
    virtual HCONV Connect(DWORD idInst, HSZ hszService, HSZ hszTopic) = 0;
    virtual BOOL Disconnect(HCONV hConv) = 0;
    virtual HDDEDATA ClientTransaction(BYTE* pData, DWORD cbData, HCONV hConv, UINT uType, DWORD dwTimeout,
                                       DWORD* pdwResult) = 0;
    virtual UINT GetLastError(DWORD idInst) = 0;
    virtual BOOL QueryConvInfo(HCONV hConv, CONVINFO* pConvInfo) = 0;

protected:
    ~IDdeLibrary() = default;
};

// The system's DDEML.
IDdeLibrary& RealDdeLibrary();
