#include "../../dorvik/DdeText.h"
#include <gtest/gtest.h>
#include <string>

namespace {
TEST(DdeText, ExpandCommand) {
    const std::string longDoc(5000, 'd'), longCmd(3000, 'c');
    const struct {
        std::string command, document, expected;
    } cases[] = {
        {"[open(\"%1\")]", "C:\\My Files\\a.txt", "[open(\"C:\\My Files\\a.txt\")]"},  // no quotes added
        {"[open(%1)][print(%1)]", "x y", "[open(x y)][print(x y)]"},
        {"[open()]", "a.txt", "[open()]"},
        {"%1", "a", "a"},
        {"%1%1", "", ""},
        {"%%1", "a", "%a"},
        {"%2 %", "a", "%2 %"},
        {"[open(%1)]", "%1", "[open(%1)]"},  // the document's own "%1" is not expanded again
        {"", "a", ""},
        {"[open(%1)]", longDoc, "[open(" + longDoc + ")]"},  // any length, nothing cut
        {longCmd + "%1", "a", longCmd + "a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandDdeCommand(c.command.c_str(), c.document.c_str()).str(), c.expected) << c.command;
}

TEST(DdeText, ErrorNames) {
    const struct {
        unsigned code;
        const char* text;
    } cases[] = {
        {0, "DMLERR_NO_ERROR"},
        {0x4000, "DMLERR_ADVACKTIMEOUT"},
        {0x4004, "DMLERR_DLL_USAGE"},
        {0x4005, "DMLERR_EXECACKTIMEOUT"},
        {0x4009, "DMLERR_NOTPROCESSED"},
        {0x400A, "DMLERR_NO_CONV_ESTABLISHED"},
        {0x400C, "DMLERR_POSTMSG_FAILED"},
        {0x400E, "DMLERR_SERVER_DIED"},
        {0x4010, "DMLERR_UNADVACKTIMEOUT"},
        {0x4011, "DDEML error 0x4011"},
        {0x3FFF, "DDEML error 0x3FFF"},
        {1, "DDEML error 0x1"},
    };
    for (const auto& c : cases) EXPECT_EQ(DdeErrorText(c.code).str(), c.text) << std::hex << c.code;
    EXPECT_EQ(DdeInitializeErrorText(0x4004).str(), "DdeInitialize, DMLERR_DLL_USAGE");
    EXPECT_EQ(DdeInitializeErrorText(0x4006).str(), "DdeInitialize, DMLERR_INVALIDPARAMETER");
    EXPECT_EQ(DdeInitializeErrorText(0x400F).str(), "DdeInitialize, DMLERR_SYS_ERROR");
    EXPECT_EQ(DdeInitializeErrorText(0x4009).str(), "DdeInitialize");
}
}  // namespace
