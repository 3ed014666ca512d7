#include "DdeText.h"
#include <cstdio>
#include <cstring>

namespace {
const char* const kErrorNames[] = {
    "DMLERR_ADVACKTIMEOUT",    "DMLERR_BUSY",         "DMLERR_DATAACKTIMEOUT",      "DMLERR_DLL_NOT_INITIALIZED",
    "DMLERR_DLL_USAGE",        "DMLERR_EXECACKTIMEOUT", "DMLERR_INVALIDPARAMETER",  "DMLERR_LOW_MEMORY",
    "DMLERR_MEMORY_ERROR",     "DMLERR_NOTPROCESSED", "DMLERR_NO_CONV_ESTABLISHED", "DMLERR_POKEACKTIMEOUT",
    "DMLERR_POSTMSG_FAILED",   "DMLERR_REENTRANCY",   "DMLERR_SERVER_DIED",         "DMLERR_SYS_ERROR",
    "DMLERR_UNADVACKTIMEOUT",
};
constexpr unsigned kFirstError = 0x4000;
}  // namespace

CString DdeErrorText(unsigned nCode) {
    if (nCode == 0) return "DMLERR_NO_ERROR";
    if (nCode >= kFirstError && nCode - kFirstError < sizeof kErrorNames / sizeof kErrorNames[0])
        return kErrorNames[nCode - kFirstError];
    char text[32];
    std::snprintf(text, sizeof text, "DDEML error 0x%X", nCode);
    return text;
}

CString DdeInitializeErrorText(unsigned nCode) {
    switch (nCode) {
    case 0x4004: return "DdeInitialize, DMLERR_DLL_USAGE";
    case 0x4006: return "DdeInitialize, DMLERR_INVALIDPARAMETER";
    case 0x400F: return "DdeInitialize, DMLERR_SYS_ERROR";
    default: return "DdeInitialize";
    }
}

CString ExpandDdeCommand(const char* pszCommand, const char* pszDocument) {
    CString result;
    for (const char* p = pszCommand; *p;) {
        const char* hit = std::strstr(p, "%1");
        if (!hit) {
            result += p;
            break;
        }
        result += CString(p, static_cast<int>(hit - p));
        result += pszDocument;
        p = hit + 2;
    }
    return result;
}
