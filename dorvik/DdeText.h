// The DDE client's texts: DDEML error names and the execute command for a document.
#pragma once
#include "../framework/String.h"

// The name of a DDEML error code ("DMLERR_BUSY", ...); a code the library does not define
// gets "DDEML error 0x...".
CString DdeErrorText(unsigned nCode);

// The text for a failed DdeInitialize.
CString DdeInitializeErrorText(unsigned nCode);

// The ddeexec command with the document, unchanged and unquoted, in place of every "%1".
// Any length; nothing is cut.
CString ExpandDdeCommand(const char* pszCommand, const char* pszDocument);
