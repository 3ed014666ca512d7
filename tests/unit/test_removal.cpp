#include "../../install/services/InstallRecord.h"
#include "../../uninstall/RemovalReport.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
using K = RecordKind;

TEST(InstallRecord, LinesComposeAndParseBack) {
    const std::vector<RecordEntry> entries = {
        {K::directory, "c:\\Program Files\\Velmora\\"},
        {K::file, "c:\\Program Files\\Velmora\\\\velmora.dll"},
        {K::sharedFile, "C:\\windows\\system32\\velshared.dll"},
        {K::typeLib, "c:\\Program Files\\Velmora\\\\velmora.tlb"},
        {K::server, "c:\\Program Files\\Velmora\\\\dorvik.exe"},
        {K::file, " c:\\odd name with blanks \\x.dll "},
    };
    std::string text = std::string(kRecordHeader) + "\r\n";
    for (const RecordEntry& e : entries) text += ComposeRecordLine(e);
    EXPECT_EQ(ComposeRecordLine(entries[1]), "file\tc:\\Program Files\\Velmora\\\\velmora.dll\r\n");
    std::vector<RecordEntry> parsed;
    int nBad = -1;
    ASSERT_TRUE(ParseRecord(text, parsed, nBad));
    EXPECT_EQ(nBad, 0);
    EXPECT_EQ(parsed, entries);
}

TEST(InstallRecord, DamagedAndInterruptedRecords) {
    const struct {
        const char* text;
        bool ok;
        int badLine;
        size_t entries;
    } cases[] = {
        {"", true, 0, 0},
        {"# remark\r\n\r\nfile\ta\r\n", true, 0, 1},
        {"file\ta\nshared\tb\n", true, 0, 2},  // LF alone is a line end too
        {"file\ta\r\nfile\tb", true, 0, 2},    // a last line without its end that parses
        {"file\ta\r\nfil", true, 0, 1},        // an interrupted last write is left out
        {"file\ta\r\nfile\t", true, 0, 1},
        {"file\ta\r\nbogus\tb\r\nfile\tc\r\n", false, 2, 0},
        {"file a\r\n", false, 1, 0},           // no tab
        {"file\t\r\n", false, 1, 0},           // no path
        {"file\ta\tb\r\n", false, 1, 0},       // a tab in the path
        {"FILE\ta\r\n", false, 1, 0},          // kinds are lower case
    };
    for (const auto& c : cases) {
        std::vector<RecordEntry> parsed;
        int nBad = -1;
        EXPECT_EQ(ParseRecord(c.text, parsed, nBad), c.ok) << c.text;
        EXPECT_EQ(nBad, c.badLine) << c.text;
        EXPECT_EQ(parsed.size(), c.entries) << c.text;
    }
}

TEST(InstallRecord, RemovalUndoesByKindLatestFirst) {
    const std::vector<RecordEntry> record = {
        {K::directory, "D"},  {K::file, "a"},        {K::sharedFile, "s"}, {K::file, "b"},
        {K::typeLib, "t1"},   {K::typeLib, "t2"},    {K::server, "x"},
        // the same installation once more into the same directory
        {K::file, "a"},       {K::sharedFile, "s"},  {K::typeLib, "t1"},   {K::server, "x"},
    };
    const std::vector<RecordEntry> expected = {
        {K::server, "x"}, {K::typeLib, "t1"},    {K::typeLib, "t2"},    {K::file, "a"},
        {K::file, "b"},   {K::sharedFile, "s"},  {K::sharedFile, "s"},  {K::directory, "D"},
    };
    EXPECT_EQ(RemovalOrder(record), expected);
    EXPECT_TRUE(RemovalOrder({}).empty());
}

TEST(SharedCount, RaiseAndRelease) {
    const struct {
        bool counted;
        DWORD count;
        bool existed;
        DWORD raised;
    } raises[] = {
        {false, 0, false, 1},  // a new file: we are its one user
        {false, 0, true, 2},   // there already, uncounted: its first user and us
        {true, 1, true, 2},
        {true, 0, true, 1},
        {true, 7, false, 8},
    };
    for (const auto& r : raises)
        EXPECT_EQ(RaisedSharedCount(r.counted, r.count, r.existed), r.raised) << r.counted << r.count << r.existed;

    const struct {
        bool counted;
        DWORD count;
        SharedRelease release;
    } releases[] = {
        {true, 1, {true, true, 0}},   // the last user: file and count go
        {true, 0, {true, true, 0}},
        {true, 2, {false, false, 1}}, // another installation still uses it
        {true, 9, {false, false, 8}},
        {false, 0, {false, false, 0}},  // no count left: not ours to judge
    };
    for (const auto& r : releases) EXPECT_EQ(ReleaseSharedCount(r.counted, r.count), r.release) << r.count;
}

TEST(UninstallArgs, FinishRunsReadBackWhatWasComposed) {
    const struct {
        std::string exe, dir;
    } paths[] = {
        {"c:\\Program Files\\Velmora\\\\uninstall.exe", "c:\\Program Files\\Velmora\\"},
        {"c:\\v\\uninstall.exe", ""},
        {"c:\\a b\\\\uninstall.exe", "c:\\a b\\"},
    };
    for (const auto& p : paths) {
        const std::string args = ComposeFinishArgs(1234, p.exe, p.dir);
        const UninstallRun run = ParseUninstallArgs(args.c_str());
        EXPECT_TRUE(run.bFinish) << args;
        EXPECT_EQ(run.nWaitHandle, 1234u) << args;
        EXPECT_EQ(run.strExe, p.exe) << args;
        EXPECT_EQ(run.strDir, p.dir) << args;
    }
    for (const char* ordinary : {"", "/S", "/Finish", "/Finish 12", "/Finish x \"c:\\u.exe\"",
                                 "/Finish 0 \"c:\\u.exe\"", "/Finish 1 a b c", "Finish 1 a",
                                 // never another file, nor another directory than the remover's own
                                 "/Finish 7 c:\\Windows\\notepad.exe", "/Finish 7 uninstall.exe",
                                 "/Finish 7 c:\\v\\uninstall.exe c:\\Windows", "/Finish 7 c:\\v\\uninstall.exe c:\\"})
        EXPECT_FALSE(ParseUninstallArgs(ordinary).bFinish) << ordinary;
    EXPECT_TRUE(ParseUninstallArgs("-finish 7 C:\\V\\Uninstall.EXE c:\\v").bFinish);
}

TEST(RemovalReport, NamesEachGroupThatIsNotEmpty) {
    EXPECT_EQ(ComposeRemovalReport({}), "Velmora was removed from your computer.");
    RemovalOutcome outcome;
    outcome.scheduled = {"c:\\v\\a.dll", "c:\\v"};
    outcome.failed = {"dorvik.exe /UnregServer: exit code 1"};
    outcome.keptDir = "c:\\v";
    EXPECT_EQ(ComposeRemovalReport(outcome),
              "Velmora was removed from your computer, but not completely.\n\n"
              "These files are in use or protected. They will be removed when Windows restarts:\nc:\\v\\a.dll\nc:\\v\n\n"
              "These could not be removed:\ndorvik.exe /UnregServer: exit code 1\n\n"
              "The folder c:\\v was kept: it holds files that Velmora did not install.");
}
}  // namespace
