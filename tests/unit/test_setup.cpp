#include "../../install/config/SetupText.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {
const char kInstallDir[] = "c:\\Program Files\\Velmora\\";

std::tm FixedTime() {  // Tue Dec 08 20:11:57 2026, standard time
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_wday = 2;
    t.tm_hour = 20;
    t.tm_min = 11;
    t.tm_sec = 57;
    return t;
}

std::string Compose(const SetupValues& values, const char* pszWinDir = "C:\\WINDOWS") {
    CString text;
    EXPECT_TRUE(ComposeSetupText(values, pszWinDir, SetupDateText(FixedTime(), RuntimeZoneName(nullptr, true, false)), text));
    return text.str();
}

// The value of KEY's line, or "<missing>".
std::string Value(const std::string& text, const std::string& key) {
    for (const char* start : {"\r", "\n"}) {
        size_t at = text.find(start + key + "=");
        if (at == std::string::npos) continue;
        at += key.size() + 2;
        return text.substr(at, text.find('\n', at) - at);
    }
    return "<missing>";
}

TEST(SetupText, DefaultsGiveTheExampleFileByteForByte) {
    const std::string expected =
        "#Setup.txt\r#Tue Dec 08 20:11:57 CST 2026\rCHARACTERPATH=c:\\\\windows\\\\msagent\\\\chars\\\\\n"
        "MSOFFICEPATH=c:\\\\msoffice\\\\\n"
        "INSTALLDIR=c:\\\\Program Files\\\\Velmora\\\\\n"
        "HARDDISKDRIVE=C:\n"
        "DISKDRIVE=A:\n"
        "CDROMDRIVE=D:\n"
        "WINDIR=C:\\\\WINDOWS\\\\\n"
        "LOGOIMAGEPATH=c:\\\\Program Files\\\\Velmora\\\\velmora.gif\n"
        "FILEPROTOCOL=file:\\\\\n"
        "CTLAGENTFILENAME=Merlin.acs\n"
        "WINAGENTFILENAME=Genie.acs\n"
        "NETAGENTFILENAME=Robby.acs\n"
        "IMAGEAGENTFILENAME=Peedy.acs\n";
    EXPECT_EQ(Compose(DefaultSetupValues(kDefaultCharacterDir, kDefaultOfficeDir, kInstallDir)), expected);
}

TEST(SetupText, InstallDirWithOrWithoutFinalBackslashGivesTheSameFile) {
    const std::string reference = Compose(DefaultSetupValues(kDefaultCharacterDir, kDefaultOfficeDir, kInstallDir));
    for (const char* dir : {"c:\\Program Files\\Velmora", "c:\\Program Files\\\\Velmora\\\\\\"}) {
        EXPECT_EQ(Compose(DefaultSetupValues(kDefaultCharacterDir, kDefaultOfficeDir, dir)), reference) << dir;
    }
}

TEST(SetupText, OnlyBackslashRunsAreRewritten) {
    const struct {
        CString SetupValues::*field;
        const char* typed;
        const char* key;
        const char* written;
    } cases[] = {
        {&SetupValues::strOfficeDir, "c:\\msoffice", "MSOFFICEPATH", "c:\\\\msoffice"},  // no backslash added
        {&SetupValues::strOfficeDir, "c:\\\\msoffice\\\\", "MSOFFICEPATH", "c:\\\\msoffice\\\\"},
        {&SetupValues::strOfficeDir, "c:\\\\\\msoffice\\\\\\\\", "MSOFFICEPATH", "c:\\\\msoffice\\\\"},
        {&SetupValues::strOfficeDir, "\\\\server\\share", "MSOFFICEPATH", "\\\\server\\\\share"},
        {&SetupValues::strOfficeDir, "c:/office/", "MSOFFICEPATH", "c:/office/"},
        {&SetupValues::strCharacterDir, "", "CHARACTERPATH", "\\\\"},
        {&SetupValues::strCharacterDir, "d:\\chars", "CHARACTERPATH", "d:\\\\chars\\\\"},
        {&SetupValues::strCharacterDir, "d:\\chars\\\\", "CHARACTERPATH", "d:\\\\chars\\\\"},
        {&SetupValues::strHardDiskDrive, "", "HARDDISKDRIVE", ""},
        {&SetupValues::strCdromDrive, "E", "CDROMDRIVE", "E"},
        {&SetupValues::strCtlAgentFile, " a=b #c ", "CTLAGENTFILENAME", " a=b #c "},
        {&SetupValues::strNetAgentFile, "R\xE9\xFF\x80.acs", "NETAGENTFILENAME", "R\xE9\xFF\x80.acs"},
        {&SetupValues::strImageAgentFile, "x\\y", "IMAGEAGENTFILENAME", "x\\\\y"},
        {&SetupValues::strInstallDir, "", "INSTALLDIR", "\\\\"},
        {&SetupValues::strInstallDir, "", "LOGOIMAGEPATH", "\\\\velmora.gif"},
        {&SetupValues::strInstallDir, "\\\\srv\\inst", "LOGOIMAGEPATH", "\\\\srv\\\\inst\\\\velmora.gif"},
    };
    for (const auto& c : cases) {
        SetupValues values = DefaultSetupValues(kDefaultCharacterDir, kDefaultOfficeDir, kInstallDir);
        values.*c.field = c.typed;
        const std::string text = Compose(values);
        EXPECT_EQ(Value(text, c.key), c.written) << c.key << " typed as " << c.typed;
        EXPECT_EQ(text.find("\r\n"), std::string::npos);
    }
    EXPECT_EQ(Value(Compose(DefaultSetupValues("", "", kInstallDir), "C:\\WINDOWS\\"), "WINDIR"), "C:\\\\WINDOWS\\\\");
}

TEST(SetupText, EscapeBackslashesRewritesEveryRunToAPair) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"abc", "abc"},
        {"\\", "\\\\"},
        {"\\\\", "\\\\"},
        {"\\\\\\\\\\", "\\\\"},
        {"a\\b\\\\c\\\\\\d", "a\\\\b\\\\c\\\\d"},
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeBackslashes(c.in), c.out) << c.in;
}

TEST(SetupText, ZoneRule) {
    const struct {
        const char* tz;  // null: TZ not set
        bool systemZoneKnown, daylight;
        const char* name;
    } cases[] = {
        {nullptr, true, false, ""},  // the usual case: no name, the date line says CST
        {nullptr, true, true, ""},
        {nullptr, false, false, "PST"},
        {nullptr, false, true, "PDT"},
        {"", true, false, "PST"},
        {"", true, true, "PDT"},
        {"EST5EDT", true, false, "EST"},
        {"EST5EDT", false, true, "EDT"},
        {"CST6CDT", true, true, "CDT"},
        {"AAA-5:30:15BBBB", true, false, "AAA"},
        {"AAA-5:30:15BBBB", true, true, "BBB"},
        {"EST5", true, false, "EST"},
        {"EST5", true, true, ""},
        {"X", true, false, "X"},
        {"X", true, true, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RuntimeZoneName(c.tz, c.systemZoneKnown, c.daylight), c.name)
            << (c.tz ? c.tz : "(unset)") << " system " << c.systemZoneKnown << " daylight " << c.daylight;
    }
    EXPECT_EQ(SetupDateText(FixedTime(), ""), "Tue Dec 08 20:11:57 CST 2026");
    EXPECT_EQ(SetupDateText(FixedTime(), "EDT"), "Tue Dec 08 20:11:57 EDT 2026");
}

// The daylight flag comes from the C runtime's local time, which follows TZ.
TEST(SetupText, DateFollowsLocalTimeAndDaylightSaving) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "EST5EDT", 1);
    tzset();
    const std::time_t january = 1767416706;  // 2026-01-03 05:05:06 UTC
    const std::time_t july = 1783137906;     // 2026-07-04 04:05:06 UTC
    EXPECT_EQ(SetupDateText(january, "EST5EDT", true), "Sat Jan 03 00:05:06 EST 2026");
    EXPECT_EQ(SetupDateText(july, "EST5EDT", true), "Sat Jul 04 00:05:06 EDT 2026");
    EXPECT_EQ(SetupDateText(july, nullptr, true), "Sat Jul 04 00:05:06 CST 2026");
    if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
    tzset();
}

TEST(SetupText, RefusesWhatTheReaderCannotHold) {
    SetupValues values;
    CString text;
    ASSERT_TRUE(ComposeSetupText(values, "", "", text));
    const int base = text.GetLength();

    const struct {
        CString value;
        bool fits;
    } cases[] = {
        {CString('x', kMaxSetupChars - base), true},
        {CString('x', kMaxSetupChars - base + 1), false},
        // Single backslashes double: the rewritten text is the one too long.
        {CString('\\', 1) + CString('x', kMaxSetupChars - base - 2), true},
        {CString('\\', 1) + CString('x', kMaxSetupChars - base - 1), false},
        // Runs collapse to pairs, but the text before rewriting is already too long.
        {CString('\\', kMaxSetupChars), false},
    };
    for (const auto& c : cases) {
        values.strCtlAgentFile = c.value;
        CString out = "old";
        EXPECT_EQ(ComposeSetupText(values, "", "", out), c.fits ? TRUE : FALSE) << c.value.GetLength();
        if (c.fits) {
            EXPECT_EQ(out.GetLength(), kMaxSetupChars);
        } else {
            EXPECT_TRUE(out.IsEmpty());
        }
    }
}
}  // namespace
