#include "../../framework/CommandLine.h"
#include "../../install/StartMode.h"
#include <gtest/gtest.h>
#include <string>

namespace {
TEST(CommandLine, ApplicationPartIsWhatFollowsProgramNameAndBlanks) {
    const struct {
        const char* full;
        const char* app;
    } cases[] = {
        {"install.exe", ""},
        {"install.exe   ", ""},
        {"install.exe\t \t", ""},
        {"install.exe C:\\Velmora", "C:\\Velmora"},
        {"install.exe    C:\\Velmora\\  ", "C:\\Velmora\\  "},  // trailing blanks stay
        {"\"C:\\x y\\install.exe\" \"C:\\Program Files\\V\"", "\"C:\\Program Files\\V\""},  // quotes stay
        {"\"C:\\x y\\install.exe\"C:\\dir", "C:\\dir"},
        {"\"C:\\unterminated install.exe", ""},
        {"C:\\a\\install.exe x", "x"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_STREQ(SkipProgramName(c.full), c.app) << c.full;
}

TEST(CommandLine, SplitArgumentsFollowsRuntimeRules) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitArguments(""), V{});
    EXPECT_EQ(SplitArguments("  a  b\tc "), (V{"a", "b", "c"}));
    EXPECT_EQ(SplitArguments("\"a b\" c"), (V{"a b", "c"}));
    EXPECT_EQ(SplitArguments("a\\\\\"b c\""), (V{"a\\b c"}));   // 2n backslashes: n, quote toggles
    EXPECT_EQ(SplitArguments("a\\\"b"), (V{"a\"b"}));            // 2n+1: n and a literal quote
    EXPECT_EQ(SplitArguments("C:\\dir\\ x"), (V{"C:\\dir\\", "x"}));  // backslashes not before a quote are literal
    EXPECT_EQ(SplitArguments("\"a\"\"b\""), (V{"a\"b"}));
    EXPECT_EQ(SplitArguments("\"\""), (V{""}));
}

TEST(StartMode, CommandLineChoosesTheRun) {
    const std::string dir259 = "C:\\" + std::string(256, 'd');
    const struct {
        std::string cmdLine;
        StartMode mode;
    } cases[] = {
        {"", StartMode::firstStage},
        {"x", StartMode::secondStage},
        {"C:\\Program Files\\Velmora\\", StartMode::secondStage},
        {"\"C:\\Program Files\\Velmora\"", StartMode::secondStage},
        {dir259, StartMode::secondStage},
        {dir259 + "x", StartMode::tooLong},
        {"-Embedding", StartMode::automation},
        {"/Automation", StartMode::automation},
        {"/embedding", StartMode::automation},
        {"-AUTOMATION", StartMode::automation},
        {"C:\\dir -Embedding", StartMode::automation},
        {"\"/Embedding\"", StartMode::automation},  // the runtime removes the quotes
        {dir259 + " /Automation", StartMode::automation},
        {"Embedding", StartMode::secondStage},
        {"-Embeddingx", StartMode::secondStage},
        {"C:\\Embedding", StartMode::secondStage},
        {"--Embedding", StartMode::secondStage},
    };
    for (const auto& c : cases) EXPECT_EQ(GetStartMode(c.cmdLine.c_str()), c.mode) << c.cmdLine;
}
}  // namespace
