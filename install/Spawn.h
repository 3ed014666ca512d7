// Starting the programs the installer runs: always without arguments.
#pragma once
#include "../framework/String.h"
#include <cstdint>

// Runs the program and waits for it: its exit code, or -1 when it cannot be started.
intptr_t RunAndWait(const CString& strPath);
// Starts the program and returns at once: -1 when it cannot be started.
intptr_t StartProgram(const CString& strPath);
