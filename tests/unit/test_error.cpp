#include "../../install/Error.h"
#include <gtest/gtest.h>

namespace {
const char* const kHeading = "The following System Error occurred:\n ";

struct ErrorCase {
    int severity;
    const char* message;
    const char* prompt;
    bool query, fatal, fileQuery;
};

TEST(CError, SeverityChoosesPromptPredicatesAndText) {
    const ErrorCase cases[] = {
        {0, "VIF_SRCOLD\tThe file to install is older", "Do you want to Continue Installation", true, false, false},
        {1, "Unable to Open License file", "Fatal Error Occurred. Exit Installation", false, true, false},
        {2, "The preexisting file is write protected.", "Do you want to continue installing this File", false, false, true},
        // Severities outside 0..2 are fatal in text but match no predicate.
        {7, "x", "Fatal Error Occurred. Exit Installation", false, false, false},
        {-1, "x", "Fatal Error Occurred. Exit Installation", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.severity);
        CError e;
        e.SetError(c.severity, c.message);
        EXPECT_EQ(e.m_strPrompt, c.prompt);
        EXPECT_EQ(e.IsQuery(), c.query);
        EXPECT_EQ(e.IsFatal(), c.fatal);
        EXPECT_EQ(e.IsFileQuery(), c.fileQuery);
        EXPECT_EQ(e.GetErrorText(), CString(kHeading) + c.message + " " + c.prompt);
    }
}

TEST(CError, EdgeTexts) {
    CError fresh;  // thrown without SetError: heading, then a line of two blanks
    EXPECT_EQ(fresh.m_nSeverity, 0);
    EXPECT_EQ(fresh.GetErrorText(), "The following System Error occurred:\n  ");

    CError file;
    file.SetError(2, "The preexisting file is write protected.");
    EXPECT_EQ(file.GetErrorText(), "The following System Error occurred:\n The preexisting file is write protected. "
                                   "Do you want to continue installing this File");

    CError trailing;  // a message ending in a blank gives two blanks before the prompt
    trailing.SetError(0, "Cannot create temp file ");
    EXPECT_EQ(trailing.GetErrorText(), CString(kHeading) + "Cannot create temp file  Do you want to Continue Installation");
}

TEST(CError, SetErrorReplacesAndCopiesCarryAllFields) {
    CError e;
    e.SetError(2, "first");
    e.SetError(1, "second");
    EXPECT_EQ(e.m_strMessage, "second");
    EXPECT_EQ(e.m_strPrompt, "Fatal Error Occurred. Exit Installation");
    e.m_nSeverity = 0;
    e.BuildPrompt();
    EXPECT_EQ(e.m_strPrompt, "Do you want to Continue Installation");  // replaced, not appended

    try {
        ThrowError(2, "thrown");
        FAIL();
    } catch (CError caught) {
        EXPECT_EQ(caught.m_nSeverity, 2);
        EXPECT_EQ(caught.m_strMessage, "thrown");
        EXPECT_EQ(caught.m_strPrompt, "Do you want to continue installing this File");
    }
}
}  // namespace
