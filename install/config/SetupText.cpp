#include "SetupText.h"
#include "../services/InstallFile.h"
#include <cstdio>

const char kDefaultCharacterDir[] = "c:\\windows\\msagent\\chars\\";
const char kDefaultOfficeDir[] = "c:\\msoffice\\";

SetupValues DefaultSetupValues(const CString& strCharacterDir, const CString& strOfficeDir,
                               const CString& strInstallDir) {
    SetupValues v;
    v.strInstallDir = strInstallDir;
    v.strCharacterDir = strCharacterDir;
    v.strOfficeDir = strOfficeDir;
    v.strHardDiskDrive = "C:";
    v.strDiskDrive = "A:";
    v.strCdromDrive = "D:";
    v.strCtlAgentFile = "Merlin.acs";
    v.strWinAgentFile = "Genie.acs";
    v.strNetAgentFile = "Robby.acs";
    v.strImageAgentFile = "Peedy.acs";
    return v;
}

void AppendBackslash(CString& str) {
    if (str.IsEmpty() || str[str.GetLength() - 1] != '\\') str += '\\';
}

CString EscapeBackslashes(const CString& strText) {
    const std::string& in = strText.str();
    std::string out;
    out.reserve(in.size() + in.size() / 4);
    for (size_t i = 0; i < in.size();) {
        if (in[i] != '\\') {
            out += in[i++];
            continue;
        }
        while (i < in.size() && in[i] == '\\') ++i;
        out += "\\\\";
    }
    return CString(out.data(), static_cast<int>(out.size()));
}

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// TZ reads "SSS[+|-]hh[:mm[:ss]][DDD]": three letters of standard time, the offset, and the
// daylight letters when daylight saving applies.
void SplitTz(const char* pszTz, CString& strStandard, CString& strDaylight) {
    const char* p = pszTz;
    int n = 0;
    while (n < 3 && p[n]) ++n;
    strStandard = CString(p, n);
    p += n;
    if (*p == '-') ++p;
    while (*p == '+' || IsDigit(*p)) ++p;
    for (int field = 0; field < 2 && *p == ':'; ++field) {
        ++p;
        while (IsDigit(*p)) ++p;
    }
    n = 0;
    while (n < 3 && p[n]) ++n;
    strDaylight = CString(p, n);
}
}  // namespace

CString RuntimeZoneName(const char* pszTz, bool bSystemZoneKnown, bool bDaylight) {
    if (pszTz && *pszTz) {
        CString strStandard, strDaylight;
        SplitTz(pszTz, strStandard, strDaylight);
        return bDaylight ? strDaylight : strStandard;
    }
    if (!pszTz && bSystemZoneKnown) return CString();
    return bDaylight ? "PDT" : "PST";
}

CString SetupDateText(const std::tm& local, const CString& strZoneName) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* pszDay = local.tm_wday >= 0 && local.tm_wday < 7 ? kDays[local.tm_wday] : "?";
    const char* pszMonth = local.tm_mon >= 0 && local.tm_mon < 12 ? kMonths[local.tm_mon] : "?";
    CString strText;
    strText.Format("%s %s %02d %02d:%02d:%02d %s %d", pszDay, pszMonth, local.tm_mday, local.tm_hour,
                   local.tm_min, local.tm_sec, strZoneName.IsEmpty() ? "CST" : static_cast<const char*>(strZoneName),
                   local.tm_year + 1900);
    return strText;
}

CString SetupDateText(std::time_t t, const char* pszTz, bool bSystemZoneKnown) {
    const std::tm* pLocal = std::localtime(&t);
    if (!pLocal) return CString();  // a clock the runtime cannot read: the header stays empty
    return SetupDateText(*pLocal, RuntimeZoneName(pszTz, bSystemZoneKnown, pLocal->tm_isdst > 0));
}

BOOL ComposeSetupText(const SetupValues& v, const CString& strWinDir, const CString& strDate, CString& strText) {
    strText.Empty();
    CString strCharacterDir = v.strCharacterDir;
    AppendBackslash(strCharacterDir);
    // Header lines end in a lone CR, key lines in a lone LF: the product's reader expects exactly that.
    const CString strFormatted = CString("#Setup.txt\r#") + strDate + "\r" +
        "CHARACTERPATH=" + strCharacterDir + "\n" +
        "MSOFFICEPATH=" + v.strOfficeDir + "\n" +
        "INSTALLDIR=" + v.strInstallDir + "\\\n" +
        "HARDDISKDRIVE=" + v.strHardDiskDrive + "\n" +
        "DISKDRIVE=" + v.strDiskDrive + "\n" +
        "CDROMDRIVE=" + v.strCdromDrive + "\n" +
        "WINDIR=" + strWinDir + "\\\n" +
        "LOGOIMAGEPATH=" + JoinFileName(v.strInstallDir, "velmora.gif") + "\n" +
        "FILEPROTOCOL=file:\\\\\n" +
        "CTLAGENTFILENAME=" + v.strCtlAgentFile + "\n" +
        "WINAGENTFILENAME=" + v.strWinAgentFile + "\n" +
        "NETAGENTFILENAME=" + v.strNetAgentFile + "\n" +
        "IMAGEAGENTFILENAME=" + v.strImageAgentFile + "\n";
    if (strFormatted.GetLength() > kMaxSetupChars) return FALSE;
    CString strEscaped = EscapeBackslashes(strFormatted);
    if (strEscaped.GetLength() > kMaxSetupChars) return FALSE;
    strText = strEscaped;
    return TRUE;
}
