// The licence agreement, built in: the notice, the terms and the copyright line.
#pragma once
#include "../../framework/String.h"

extern const char* const kLicenseNotice;
extern const char* const kLicenseTerms;
extern const char* const kLicenseCopyright;

// What License.txt holds: the three texts back to back, nothing between or after them.
CString LicenseFileText(const CString& strNotice, const CString& strTerms, const CString& strCopyright);
