#include "../../install/InstallLists.h"
#include "../../install/services/InstallFile.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
// ---- fileList.txt lines ----

struct Fields {
    std::string src, file, dest, app;
    BOOL shared;
};

Fields Parse(std::string line) {
    CInstallFile file;
    std::vector<char> buf(line.begin(), line.end());
    buf.push_back('\0');
    file.ParseLine(buf.data());
    return {file.m_szSrcDir, file.m_szSrcFile, file.m_szDestFile, file.m_szAppDir, file.m_bShared};
}

class ListLines : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CInstallFile::SetEntry(CInstallFile::m_szWinDir, "C:\\WINDOWS"));
        ASSERT_TRUE(CInstallFile::SetEntry(CInstallFile::m_szSysDir, "C:\\WINDOWS\\system32"));
        ASSERT_TRUE(CInstallFile::SetEntry(CInstallFile::m_szCurrDir, "D:\\medium"));
        ASSERT_TRUE(CInstallFile::SetInstallDir("C:\\Program Files\\Velmora\\"));
    }
};

TEST_F(ListLines, CutAtSeparatorsLikeTheRuntimeTokeniser) {
    const struct {
        const char* line;
        Fields fields;
    } cases[] = {
        {" @a.dll@1@a.dll@ @\n", {" ", "a.dll", "a.dll", " ", TRUE}},
        {" @a.dll@1@b.dll@ \n", {" ", "a.dll", "b.dll", " \n", TRUE}},  // no closing "@": the terminator stays
        {"\n", {"\n", "", "", "", FALSE}},                            // a blank line is an entry
        {"", {"", "", "", "", FALSE}},
        {"@@src@@a.dll@@@1@a.dll@ @", {"src", "a.dll", "a.dll", " ", TRUE}},
        {"src@a.dll", {"src", "a.dll", "", "", FALSE}},               // fewer fields leave the rest empty
        {" @a@1 @a@ @", {" ", "a", "a", " ", FALSE}},                 // "1 " is not "1"
        {" @a@01@a@ @", {" ", "a", "a", " ", FALSE}},
        {" @a@ 1@a@ @", {" ", "a", "a", " ", FALSE}},
        {" @a@yes@a@ @", {" ", "a", "a", " ", FALSE}},
        {" @a@1@a@ @x@y@\n", {" ", "a", "a", " ", TRUE}},              // later fields ignored
        {"#CURRDIR#\\sys@a@0@b@#WINDIR#\\fonts@", {"D:\\medium\\sys", "a", "b", "C:\\WINDOWS\\fonts", FALSE}},
        {"#INSTDIR#@a@0@b@#INSTDIR#sub@", {"C:\\Program Files\\Velmora\\", "a", "b", "C:\\Program Files\\Velmora\\sub", FALSE}},
        {"#TEMP#\\x@a@0@b@#windir#@", {"", "a", "b", "", FALSE}},      // no match: empty
        {"  @ a.dll @0@ b.dll @  @", {"  ", " a.dll ", " b.dll ", "  ", FALSE}},  // nothing trimmed
    };
    for (const auto& c : cases) {
        Fields f = Parse(c.line);
        EXPECT_EQ(f.src, c.fields.src) << c.line;
        EXPECT_EQ(f.file, c.fields.file) << c.line;
        EXPECT_EQ(f.dest, c.fields.dest) << c.line;
        EXPECT_EQ(f.app, c.fields.app) << c.line;
        EXPECT_EQ(f.shared, c.fields.shared) << c.line;
    }
}

TEST_F(ListLines, EffectiveDirectoriesFallBackToStartAndInstallation) {
    CInstallFile blank;
    char line[] = " @a@0@a@ @";
    blank.ParseLine(line);
    EXPECT_STREQ(blank.GetSrcDir(), "D:\\medium");
    EXPECT_STREQ(blank.GetAppDir(), "C:\\Program Files\\Velmora\\");

    CInstallFile unmatched;  // a macro that matches nothing: empty source, installation directory
    char line2[] = "#NONE#@a@0@a@#NONE#@";
    unmatched.ParseLine(line2);
    EXPECT_STREQ(unmatched.GetSrcDir(), "");
    EXPECT_STREQ(unmatched.GetAppDir(), "C:\\Program Files\\Velmora\\");

    CInstallFile given;
    char line3[] = "E:\\src@a@0@a@E:\\app@";
    given.ParseLine(line3);
    EXPECT_STREQ(given.GetSrcDir(), "E:\\src");
    EXPECT_STREQ(given.GetAppDir(), "E:\\app");
}

TEST_F(ListLines, FieldsThatDoNotFitAreRefusedNamingTheEntry) {
    const std::string longName(260, 'n'), fits(259, 'f');
    EXPECT_EQ(Parse(" @" + fits + "@0@" + fits + "@" + fits + "@").app, fits);

    ASSERT_TRUE(CInstallFile::SetInstallDir(std::string(250, 'd').c_str()));
    const struct {
        std::string line, what;
    } cases[] = {
        {longName + "@a@0@a@ @", "The source directory"},
        {" @" + longName + "@0@a@ @", "The source file name"},
        {" @a@0@" + longName + "@ @", "The destination file name"},
        {" @a@0@a@" + longName + "@", "The application directory"},
        {" @a@0@a@#INSTDIR#\\0123456789@", "The application directory"},  // the expansion does not fit
    };
    for (const auto& c : cases) {
        try {
            Parse(c.line);
            ADD_FAILURE() << "accepted: " << c.what;
        } catch (const CError& error) {
            EXPECT_TRUE(error.IsFatal()) << c.what;
            EXPECT_EQ(error.m_strMessage.Find(c.what.c_str()), 0) << error.m_strMessage.str();
            EXPECT_GE(error.m_strMessage.Find("longer than 259 characters"), 0) << error.m_strMessage.str();
        }
    }

    CInstallFile lib;
    EXPECT_THROW(lib.SetFileName(longName.c_str()), CError);
    EXPECT_STREQ(lib.m_szSrcFile, "") << "nothing cut into the field";
}

// ---- reading a list ----

std::vector<std::string> ReadPieces(const std::string& content) {
    std::FILE* f = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), f);
    std::rewind(f);
    std::vector<std::string> pieces;
    ForEachListLine(f, [&](char* line) {
        pieces.emplace_back(line);
        return TRUE;
    });
    std::fclose(f);
    return pieces;
}

TEST(ListReading, EveryPieceIsAnEntry) {
    const std::string line600(600, 'x');
    const auto pieces = ReadPieces("a\n\n" + line600 + "\nlast");
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_EQ(pieces[0], "a\n");
    EXPECT_EQ(pieces[1], "\n");
    EXPECT_EQ(pieces[2], std::string(499, 'x'));
    EXPECT_EQ(pieces[3], std::string(101, 'x') + "\n");
    EXPECT_EQ(pieces[4], "last");
    EXPECT_TRUE(ReadPieces("").empty());
}

// The bound: 498 characters and the line end fill the buffer; one character more and the line
// end comes back as an entry of its own.
TEST(ListReading, LineAtTheBound) {
    const std::string line498(498, 'x'), line499(499, 'x');
    EXPECT_EQ(ReadPieces(line498 + "\n"), (std::vector<std::string>{line498 + "\n"}));
    EXPECT_EQ(ReadPieces(line499 + "\n"), (std::vector<std::string>{line499, "\n"}));
    EXPECT_EQ(ReadPieces(line499), (std::vector<std::string>{line499}));
}

TEST(ListReading, StopsWhenAnEntryFails) {
    std::FILE* f = std::tmpfile();
    std::fputs("1\n2\n3\n", f);
    std::rewind(f);
    int seen = 0;
    EXPECT_FALSE(ForEachListLine(f, [&](char* line) { return ++seen, line[0] != '2'; }));
    EXPECT_EQ(seen, 2);
    std::fclose(f);
}

TEST(ListReading, StripLineEndRemovesOnlyTheTerminator) {
    const struct {
        const char *in, *out;
    } cases[] = {{"a.tlb\n", "a.tlb"}, {"a.tlb", "a.tlb"}, {" a b \n", " a b "}, {"\n", ""}, {"", ""}, {"a\r\n", "a\r"}};
    for (const auto& c : cases) {
        char buf[32];
        std::strcpy(buf, c.in);
        StripLineEnd(buf);
        EXPECT_STREQ(buf, c.out) << c.in;
    }
}

// ---- the retry and question policy ----

struct Attempt {
    BOOL force;    // expected force flag of this attempt
    int severity;  // -1: succeeds
};
struct Question {
    UINT type;  // buttons; the icon comes from the default rule
    UINT icon;
    int answer;
};

struct PolicyCase {
    const char* name;
    std::vector<Attempt> attempts;
    std::vector<Question> questions;
    BOOL result;
};

TEST(InstallPolicy, EverySeverityAnswerAndOutcome) {
    const UINT none = 0, excl = MB_ICONEXCLAMATION, ari = MB_ABORTRETRYIGNORE;
    const PolicyCase cases[] = {
        {"installs at once", {{FALSE, -1}}, {}, TRUE},
        {"unforced failure of any severity is retried forced silently", {{FALSE, 0}, {TRUE, -1}}, {}, TRUE},
        {"severity 2 unforced, forced succeeds", {{FALSE, 2}, {TRUE, -1}}, {}, TRUE},
        {"severity 1 unforced, forced succeeds", {{FALSE, 1}, {TRUE, -1}}, {}, TRUE},
        {"0: Abort stops", {{FALSE, 0}, {TRUE, 0}}, {{ari, none, IDABORT}}, FALSE},
        {"0: Ignore goes on", {{FALSE, 0}, {TRUE, 0}}, {{ari, none, IDIGNORE}}, TRUE},
        {"0: Retry installs forced again", {{FALSE, 0}, {TRUE, 0}, {TRUE, -1}}, {{ari, none, IDRETRY}}, TRUE},
        {"0: Retry, fails again, asked again",
         {{FALSE, 0}, {TRUE, 0}, {TRUE, 0}, {TRUE, 0}},
         {{ari, none, IDRETRY}, {ari, none, IDRETRY}, {ari, none, IDIGNORE}},
         TRUE},
        {"0: Retry, then fatal", {{FALSE, 0}, {TRUE, 0}, {TRUE, 1}}, {{ari, none, IDRETRY}, {MB_OK, excl, IDOK}}, FALSE},
        {"2: No goes on", {{FALSE, 2}, {TRUE, 2}}, {{MB_YESNO, excl, IDNO}}, TRUE},
        {"2: Yes installs forced again", {{FALSE, 2}, {TRUE, 2}, {TRUE, -1}}, {{MB_YESNO, excl, IDYES}}, TRUE},
        {"2: Yes, then No", {{FALSE, 2}, {TRUE, 2}, {TRUE, 2}}, {{MB_YESNO, excl, IDYES}, {MB_YESNO, excl, IDNO}}, TRUE},
        {"2: Yes, then fatal stops", {{FALSE, 2}, {TRUE, 2}, {TRUE, 1}}, {{MB_YESNO, excl, IDYES}, {MB_OK, excl, IDOK}}, FALSE},
        {"2 then 0 asks by the latest severity", {{FALSE, 2}, {TRUE, 2}, {TRUE, 0}}, {{MB_YESNO, excl, IDYES}, {ari, none, IDABORT}}, FALSE},
        {"1: OK stops", {{FALSE, 1}, {TRUE, 1}}, {{MB_OK, excl, IDOK}}, FALSE},
        {"1 after 2 unforced", {{FALSE, 2}, {TRUE, 1}}, {{MB_OK, excl, IDOK}}, FALSE},
        {"0: closing the box (Cancel) counts as Abort", {{FALSE, 0}, {TRUE, 0}}, {{ari, none, IDCANCEL}}, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        size_t attempt = 0, question = 0;
        CError last;
        auto install = [&](BOOL force) {
            ASSERT_LT(attempt, c.attempts.size()) << "an attempt too many";
            const Attempt& a = c.attempts[attempt++];
            EXPECT_EQ(force, a.force) << "attempt " << attempt;
            if (a.severity < 0) return;
            last.SetError(a.severity, ("message " + std::to_string(attempt)).c_str());
            throw last;
        };
        auto ask = [&](const CError& error, UINT type) {
            EXPECT_LT(question, c.questions.size()) << "a question too many";
            if (question >= c.questions.size()) return IDABORT;
            const Question& q = c.questions[question++];
            EXPECT_EQ(type, q.type);
            EXPECT_EQ(AfxDefaultMessageBoxIcon(type), q.icon);
            EXPECT_EQ(error.GetErrorText().str(), last.GetErrorText().str()) << "the failure just seen is asked about";
            return q.answer;
        };
        EXPECT_EQ(InstallListedFile(install, ask), c.result);
        EXPECT_EQ(attempt, c.attempts.size());
        EXPECT_EQ(question, c.questions.size());
    }
}
}  // namespace
