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
#endif

// A path handed to the ANSI system calls: at most 259 characters and the terminator.
constexpr int kPathBuf = 260;
constexpr int kMaxPathChars = kPathBuf - 1;
