// Setup.txt: the product's configuration file, composed byte for byte without platform calls.
#pragma once
#include "../../framework/String.h"
#include <ctime>

// The defaults both stages hand to the default setup dialog.
extern const char kDefaultCharacterDir[];
extern const char kDefaultOfficeDir[];

// What goes into Setup.txt, one value per setting.
struct SetupValues {
    CString strInstallDir;
    CString strCharacterDir;
    CString strOfficeDir;
    CString strHardDiskDrive;
    CString strDiskDrive;
    CString strCdromDrive;
    CString strCtlAgentFile;
    CString strWinAgentFile;
    CString strNetAgentFile;
    CString strImageAgentFile;
};

// The dialog's defaults for the given directories (the Java class library is not a setting
// of the file and is left to the dialog).
SetupValues DefaultSetupValues(const CString& strCharacterDir, const CString& strOfficeDir,
                               const CString& strInstallDir);

// The product's reader holds the file in a buffer of this many characters.
constexpr int kMaxSetupChars = 4999;

// Appends one backslash unless the text already ends in one (an empty text does not).
void AppendBackslash(CString& str);

// Every maximal run of backslashes becomes exactly two; all other bytes stay as they are.
CString EscapeBackslashes(const CString& strText);

// The time-zone name the C runtime gives local time: TZ's standard or daylight letters when
// TZ is set and not empty; empty when TZ is not set and the system's time-zone information
// can be read; otherwise the runtime's built-in "PST"/"PDT". pszTz is null when TZ is unset.
CString RuntimeZoneName(const char* pszTz, bool bSystemZoneKnown, bool bDaylight);

// The date line's text for a broken-down local time: C-locale names, the zone's name, or
// "CST" when the runtime has no name for it.
CString SetupDateText(const std::tm& local, const CString& strZoneName);

// The date line's text for the moment t, read as the C runtime's local time (which honours
// TZ); its daylight flag chooses the zone's name.
CString SetupDateText(std::time_t t, const char* pszTz, bool bSystemZoneKnown);

// The whole file. FALSE, with strText empty, when the text before or after the backslash
// rewriting would exceed kMaxSetupChars: the reader's buffer would cut it.
BOOL ComposeSetupText(const SetupValues& values, const CString& strWinDir, const CString& strDate,
                      CString& strText);
