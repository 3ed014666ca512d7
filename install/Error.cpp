#include "Error.h"

void CError::SetError(int nSeverity, CString strMessage) {
    m_nSeverity = nSeverity;
    m_strMessage = strMessage;
    BuildPrompt();
}

void CError::BuildPrompt() {
    switch (m_nSeverity) {
    case 0: m_strPrompt = "Do you want to Continue Installation"; break;
    case 2: m_strPrompt = "Do you want to continue installing this File"; break;
    default: m_strPrompt = "Fatal Error Occurred. Exit Installation"; break;
    }
}

CString CError::GetErrorText() const {
    return CString("The following System Error occurred:\n ") + m_strMessage + " " + m_strPrompt;
}

void ThrowError(int nSeverity, const char* pszMessage) {
    CError error;
    error.SetError(nSeverity, pszMessage);
    throw error;
}
