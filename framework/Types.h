// The platform's basic types, so that portable code reads like the Win32 code around it.
#pragma once
#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>
typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned long DWORD;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
// Message-box types and answers, with the system's values, for portable policies.
#define MB_OK 0x0
#define MB_OKCANCEL 0x1
#define MB_ABORTRETRYIGNORE 0x2
#define MB_YESNOCANCEL 0x3
#define MB_YESNO 0x4
#define MB_RETRYCANCEL 0x5
#define MB_TYPEMASK 0xF
#define MB_ICONHAND 0x10
#define MB_ICONQUESTION 0x20
#define MB_ICONEXCLAMATION 0x30
#define MB_ICONASTERISK 0x40
#define MB_ICONMASK 0xF0
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#endif

// With no icon named, OK and Yes/No boxes get the exclamation icon, Abort/Retry/Ignore none.
UINT AfxDefaultMessageBoxIcon(UINT nType);

// A path handed to the ANSI system calls: at most 259 characters and the terminator.
constexpr int kPathBuf = 260;
constexpr int kMaxPathChars = kPathBuf - 1;
