#include "../../install/services/ResultText.h"
#include <gtest/gtest.h>
#include <string>

namespace {
struct Outcome {
    BOOL failed;
    int severity;
    std::string message;
};

Outcome Describe(const FlagTable& table, uint32_t result) {
    CError error;
    error.SetError(1, "untouched");
    BOOL failed = DescribeResult(table, result, error);
    return {failed, error.m_nSeverity, error.m_strMessage.str()};
}

const char kSrcOld[] = "The file to install is older than the preexisting file. ";
const char kTemp[] = "The temporary copy of the new file is in the destination directory. The cause of failure is reflected in other flags.";
const char kMismatch[] = "The new and preexisting files differ in one or more attributes.";
const char kReadSrc[] = "VIF_CANNOTREADSRC\tThe function cannot read the source file. This could mean that the path was not specified properly.";
const char kInUse[] = "Windows is using the currently installed version of the file; therefore, the file cannot be overwritten or deleted.";

TEST(ResultText, SingleFlagsKeepTheirRowExactly) {
    for (const FlagTable* table : {&kVerFindFileResults, &kVerInstallFileResults}) {
        for (size_t i = 0; i < table->count; ++i) {
            const FlagText& row = table->rows[i];
            Outcome o = Describe(*table, row.flag);
            EXPECT_TRUE(o.failed) << row.flag;
            EXPECT_EQ(o.severity, row.severity) << row.flag;
            EXPECT_EQ(o.message, row.message) << row.flag;
        }
    }
    EXPECT_EQ(Describe(kVerInstallFileResults, 0x4).message, kSrcOld) << "ends with a blank";
    EXPECT_EQ(Describe(kVerInstallFileResults, 0x10000).message, kReadSrc);
    EXPECT_EQ(Describe(kVerFindFileResults, 0x4).message.substr(0, 11), "\tAt least o");
}

TEST(ResultText, SuccessesAndCombinations) {
    const struct {
        const FlagTable* table;
        uint32_t result;
        Outcome outcome;
    } cases[] = {
        {&kVerInstallFileResults, 0, {FALSE, 1, "untouched"}},
        {&kVerFindFileResults, 0, {FALSE, 1, "untouched"}},
        {&kVerFindFileResults, 0x1, {FALSE, 1, "untouched"}},  // installed elsewhere: no failure
        {&kVerFindFileResults, 0x3, {TRUE, 1, kInUse}},         // the success flag adds no text
        {&kVerFindFileResults, 0x6, {TRUE, 1, std::string(kInUse) + " " + Describe(kVerFindFileResults, 4).message}},
        // What Wine answers for a newer file installed unforced: every text, the graver severity.
        {&kVerInstallFileResults, 0x7, {TRUE, 2, std::string(kTemp) + " " + kMismatch + " " + kSrcOld}},
        {&kVerInstallFileResults, 0x10001, {TRUE, 1, std::string(kTemp) + " " + kReadSrc}},
        {&kVerInstallFileResults, 0x81, {TRUE, 0, std::string(kTemp) + " The preexisting file is in use by Windows and cannot be deleted."}},
        {&kVerInstallFileResults, 0x80000, {TRUE, 0, "Unknown result 0x80000"}},
        {&kVerInstallFileResults, 0x80004, {TRUE, 2, std::string(kSrcOld) + " Unknown result 0x80000"}},
        {&kVerInstallFileResults, 0xF0000000, {TRUE, 0, "Unknown result 0xF0000000"}},
        {&kVerFindFileResults, 0x9, {TRUE, 0, "Unknown result 0x8"}},
    };
    for (const auto& c : cases) {
        Outcome o = Describe(*c.table, c.result);
        EXPECT_EQ(o.failed, c.outcome.failed) << std::hex << c.result;
        EXPECT_EQ(o.severity, c.outcome.severity) << std::hex << c.result;
        EXPECT_EQ(o.message, c.outcome.message) << std::hex << c.result;
    }
}

TEST(ResultText, TypeLibraryResults) {
    const std::string catchAll = "s\tAll FACILITY_STORAGE errors may be returned";
    const struct {
        const HResultTable* table;
        uint32_t hr;
        std::string message;
    } cases[] = {
        {&kLoadTypeLibResults, 0x80029C4A, "\tThe type library or DLL could not be loaded."},
        {&kLoadTypeLibResults, 0x8007000E, "Out of memory"},
        {&kLoadTypeLibResults, 0x80028019, "\tThe type library has an old format."},
        {&kLoadTypeLibResults, 0x8002801C, catchAll},  // only registration knows this one
        {&kLoadTypeLibResults, 0x1, catchAll},         // S_FALSE is a failure too
        {&kLoadTypeLibResults, 0x80070002, catchAll},
        {&kRegisterTypeLibResults, 0x8002801C, "\tThe system registration database could not be opened."},
        {&kRegisterTypeLibResults, 0x80029C4A, catchAll},
        {&kRegisterTypeLibResults, 0x80070057, "One or more of the arguments is invalid."},
        {&kRegisterTypeLibResults, 0x1, catchAll},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribeHResult(*c.table, c.hr), c.message) << std::hex << c.hr;
}
}  // namespace
