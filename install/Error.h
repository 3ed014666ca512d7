// CError: the installer's one exception type, thrown and caught by value.
#pragma once
#include "../framework/String.h"

class CError {
public:
    CError() : m_nSeverity(0) {}

    // Severity 0: ask whether to continue the installation; 1: fatal; 2: ask whether to
    // continue with this file.
    void SetError(int nSeverity, CString strMessage);
    void BuildPrompt();
    // The system-error message: heading, message, a blank, prompt.
    CString GetErrorText() const;

    BOOL IsQuery() const { return m_nSeverity == 0; }
    BOOL IsFatal() const { return m_nSeverity == 1; }
    BOOL IsFileQuery() const { return m_nSeverity == 2; }

    CString m_strMessage;
    CString m_strPrompt;
    int m_nSeverity;
};

// Builds and throws a CError in one step.
[[noreturn]] void ThrowError(int nSeverity, const char* pszMessage);
