// dorvik's portable rules: server switches, application start, association fall-backs, user-name results.
#include "../../dorvik/RegInfo.h"
#include "../../dorvik/ServerSwitch.h"
#include "../../dorvik/StartCommand.h"
#include "../../dorvik/UserNameResult.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
using Args = std::vector<std::string>;

TEST(DorvikServerSwitch, ChoosesModeAndRemovesTheSwitch) {
    struct Case {
        const char* cmdLine;
        bool server;
        const char* remaining;
    } cases[] = {
        {"", false, ""},
        {"-Embedding", true, ""},
        {"-EMBEDDING", true, ""},
        {"/automation", true, ""},
        {"/Automation extra", true, "extra"},
        {"first -Embedding last", true, "first last"},
        // Embedding is tested first; a line holding both counts once and keeps the other.
        {"/Automation -Embedding", true, "/Automation "},
        {"-Embeddings", false, "-Embeddings"},
        {"x-Embedding", false, "x-Embedding"},
        {"Embedding", false, "Embedding"},
        {"/Regserver", false, "/Regserver"},
        {"C:\\dir with blanks\\", false, "C:\\dir with blanks\\"},
    };
    for (const Case& c : cases) {
        std::string line = c.cmdLine;
        EXPECT_EQ(TakeServerSwitch(line), c.server) << c.cmdLine;
        EXPECT_EQ(line, c.remaining) << c.cmdLine;
    }
}

TEST(DorvikServerSwitch, RegistrationSwitches) {
    const ServerRun serve = ServerRun::Serve, reg = ServerRun::Register, unreg = ServerRun::Unregister;
    struct Case {
        const char* cmdLine;
        ServerRun run;
        const char* remaining;
    } cases[] = {
        {"", reg, ""},
        {"/RegServer", reg, ""},
        {"-REGSERVER", reg, ""},
        {"/UnregServer", unreg, ""},
        {"-unregserver", unreg, ""},
        {"  /UNREGSERVER  ", unreg, "  "},
        {"x /UnregServer y", unreg, "x y"},
        // Whole words only: anything else is a registration run, as it always was.
        {"/UnregServers", reg, "/UnregServers"},
        {"/Unreg", reg, "/Unreg"},
        {"x/UnregServer", reg, "x/UnregServer"},
        {"UnregServer", reg, "UnregServer"},
        {"/RegServerX", reg, "/RegServerX"},
        {"C:\\some dir\\", reg, "C:\\some dir\\"},
        // A server switch wins over the registration ones; removing a registration stops registering.
        {"-Embedding /UnregServer", serve, "/UnregServer"},
        {"/RegServer /UnregServer", unreg, "/RegServer "},
    };
    for (const Case& c : cases) {
        std::string line = c.cmdLine;
        EXPECT_EQ(TakeRunSwitch(line), c.run) << c.cmdLine;
        EXPECT_EQ(line, c.remaining) << c.cmdLine;
    }
}

TEST(DorvikStartCommand, StripQuotes) {
    struct Case {
        const char* token;
        const char* stripped;
    } cases[] = {
        {"C:\\Tools\\viewer.exe", "C:\\Tools\\viewer.exe"},
        {"\"C:\\Program Files\\app.exe\" ", "C:\\Program Files\\app.exe"},
        {"\"unterminated", "unterminated"},
        // A quote anywhere drops the first character, whatever it is.
        {"ab\"c\"d", "b"},
        {"\"", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string t = c.token;
        StripQuotes(t);
        EXPECT_EQ(t, c.stripped) << c.token;
    }
}

TEST(DorvikStartCommand, SplitsProgramSwitchesAndDocument) {
    struct Case {
        const char* commandLine;
        const char* document;
        Args args;
    } cases[] = {
        // The document with a blank becomes one quoted argument; the program loses its trailing blank.
        {"C:\\Tools\\viewer.exe %1", "C:\\My Files\\a.txt", {"C:\\Tools\\viewer.exe", "\"C:\\My Files\\a.txt\""}},
        // No placeholder: no document; switches split at runs of blanks, the first gets its "/" back.
        {"C:\\Apps\\WRITER.EXE /n /dde", "C:\\a.doc", {"C:\\Apps\\WRITER.EXE", "/n", "/dde"}},
        {"C:\\Apps\\WRITER.EXE /n   /dde  %1", "C:\\a.doc", {"C:\\Apps\\WRITER.EXE", "/n", "/dde", "C:\\a.doc"}},
        // A quoted placeholder loses its quotes and what follows; the blank rule alone quotes the document.
        {"\"C:\\Program Files\\app.exe\" \"%1\" /x", "C:\\a b.txt", {"C:\\Program Files\\app.exe", "\"C:\\a b.txt\""}},
        {"\"C:\\Program Files\\app.exe\" \"%1\"", "C:\\ab.txt", {"C:\\Program Files\\app.exe", "C:\\ab.txt"}},
        // A document that already holds a quote is passed unchanged.
        {"viewer.exe %1", "\"C:\\a b.txt\"", {"viewer.exe", "\"C:\\a b.txt\""}},
        {"\"C:\\Program Files\\app.exe\" /p %1", "d.txt", {"C:\\Program Files\\app.exe", "/p", "d.txt"}},
        {"app.exe /\"quoted\" %1", "d", {"app.exe", "/quoted", "d"}},
        // Without "/", words before the placeholder stay part of the program path.
        {"C:\\Tools\\viewer.exe -x %1", "d", {"C:\\Tools\\viewer.exe -x", "d"}},
        // Only the text before the first placeholder counts.
        {"viewer.exe %1 %1", "d", {"viewer.exe", "d"}},
        {"", "d", {}},
        {"   %1", "d", {}},
        {"%1", "d", {}},
        // %L (the document's long name, as the shell fills it) stands for the document as %1 does;
        // %* and whatever else follows is dropped like any text after the placeholder.
        {"\"C:\\Program Files\\app.exe\" \"%L\" %*", "C:\\a b.txt", {"C:\\Program Files\\app.exe", "\"C:\\a b.txt\""}},
        {"C:\\Tools\\viewer.exe %l", "d", {"C:\\Tools\\viewer.exe", "d"}},
        {"viewer.exe %1 %L", "d", {"viewer.exe", "d"}},
        {"viewer.exe %*", "d", {"viewer.exe %*"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitStartCommand(c.document, c.commandLine), c.args) << c.commandLine;
}

VerbInfo Verb(const char* verb, const char* command, bool dde = false, const char* app = "", const char* topic = "") {
    VerbInfo v;
    v.strVerb = verb;
    v.strCommand = command;
    v.bUsesDde = dde;
    v.strApplication = app;
    v.strTopic = topic;
    return v;
}

TEST(DorvikRegInfo, VerbsMatchWithoutCaseAndTheFirstOfANameWins) {
    CRegInfo reg(".txt");
    reg.AddLoadedVerb(Verb("Open", "first.exe %1"));
    reg.AddLoadedVerb(Verb("print", "p.exe %1"));
    reg.AddLoadedVerb(Verb("OPEN", "second.exe %1"));
    EXPECT_EQ(reg.FindVerb("open"), 0);
    EXPECT_EQ(reg.FindVerb("PRINT"), 1);
    EXPECT_EQ(reg.FindVerb("printto"), -1);
    EXPECT_EQ(reg.FindVerb(""), -1);
    EXPECT_STREQ(reg.GetKey(), ".txt");
}

TEST(DorvikRegInfo, VerbWithoutCommandBorrowsOpensAndKeepsIt) {
    CRegInfo reg(".doc");
    reg.AddLoadedVerb(Verb("print", ""));
    reg.AddLoadedVerb(Verb("OPEN", "C:\\Apps\\WRITER.EXE /n"));
    EXPECT_STREQ(reg.GetCommand(0), "C:\\Apps\\WRITER.EXE /n");
    EXPECT_EQ(reg.GetVerb(0).strCommand, "C:\\Apps\\WRITER.EXE /n");  // stored in the record

    CRegInfo noOpen(".x");
    noOpen.AddLoadedVerb(Verb("print", ""));
    noOpen.AddLoadedVerb(Verb("open", ""));
    EXPECT_STREQ(noOpen.GetCommand(0), "");
    EXPECT_STREQ(noOpen.GetCommand(1), "");
    EXPECT_STREQ(noOpen.GetCommand(7), "");  // an index that does not exist gives nothing
}

TEST(DorvikRegInfo, ServiceNameFromTheCommandLine) {
    struct Case {
        const char* command;
        const char* service;
    } cases[] = {
        {"C:\\Apps\\WRITER.EXE /n", "WRITER"},
        {"\"C:\\Program Files\\Writer\\WRITER.EXE\" /n", "WRITER"},
        {"C:\\Apps.v2\\WRITER.EXE", "Apps"},  // the first full stop cuts the path short
        {"WRITER.EXE /n", ""},                 // no backslash: no service
        {"C:\\Apps\\WRITER /n", "WRITER"},     // no full stop: the program path ends at the blank
        {"\"C:\\My Apps\\WRITER\" /n", "WRITER"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ServiceFromCommand(c.command), c.service) << c.command;

    CRegInfo reg(".doc");
    reg.AddLoadedVerb(Verb("open", "C:\\Apps\\WRITER.EXE /n", true, "", ""));
    reg.AddLoadedVerb(Verb("print", "", true, "WinWord", "Docs"));
    reg.AddLoadedVerb(Verb("edit", "", true));
    EXPECT_STREQ(reg.GetApplication(0), "WRITER");
    EXPECT_EQ(reg.GetVerb(0).strApplication, "WRITER");
    EXPECT_STREQ(reg.GetApplication(1), "WinWord");
    EXPECT_STREQ(reg.GetApplication(2), "WRITER");  // through the borrowed command line
    EXPECT_STREQ(reg.GetTopic(0), "System");
    EXPECT_STREQ(reg.GetTopic(1), "Docs");
}

TEST(DorvikRegInfo, AddedVerbsUseDdeLikeOpenAndAreUnlimited) {
    CRegInfo dde(".doc");
    dde.AddLoadedVerb(Verb("open", "w.exe", true));
    CRegInfo plain(".txt");
    plain.AddLoadedVerb(Verb("open", "n.exe %1", false));
    CRegInfo none(".zz");
    for (CRegInfo* reg : {&dde, &plain, &none}) reg->AddVerb("extra", "App", "Top", "[open(\"%1\")]", "[ifexec]", "x.exe %1");
    EXPECT_TRUE(dde.UsesDde(dde.FindVerb("extra")));
    EXPECT_FALSE(plain.UsesDde(plain.FindVerb("extra")));
    EXPECT_FALSE(none.UsesDde(none.FindVerb("extra")));
    const VerbInfo& v = dde.GetVerb(1);
    EXPECT_EQ(v.strApplication, "App");
    EXPECT_EQ(v.strTopic, "Top");
    EXPECT_EQ(v.strDdeExec, "[open(\"%1\")]");
    EXPECT_EQ(v.strIfExec, "[ifexec]");
    EXPECT_EQ(v.strCommand, "x.exe %1");

    // Far more verbs and far longer texts than any fixed record would hold stay whole.
    const std::string longText(5000, 'c');
    for (int i = 0; i < 40; ++i) none.AddVerb(("v" + std::to_string(i)).c_str(), "", "", "", "", longText.c_str());
    EXPECT_EQ(none.GetVerbCount(), 41);
    EXPECT_EQ(std::string(none.GetCommand(none.FindVerb("v39"))), longText);
}

TEST(DorvikUserName, ResultTable) {
    struct Case {
        unsigned long result;
        short code;
        const char* desc;
    } cases[] = {
        {0, 0, ""},
        {234, 200, "The buffer is too small"},
        {1203, 200, "ERROR_NO_NET_OR_BAD_PATH"},
        {1208, 200, "A network-specific error occurred"},
        {1222, 200, "No network is present"},
        {2250, 200, "ERROR_NOT_CONNECTED"},
        {122, 0, ""},  // not in the table: success
        {5, 0, ""},
    };
    for (const Case& c : cases) {
        UserNameOutcome o = GetUserNameOutcome(c.result);
        EXPECT_EQ(o.nErrorCode, c.code) << c.result;
        EXPECT_STREQ(o.pszErrorDesc, c.desc) << c.result;
    }
}
}  // namespace
