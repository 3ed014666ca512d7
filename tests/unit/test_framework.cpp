#include "../../framework/String.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {
TEST(CString, BufferAccessAndSearch) {
    CString s;
    std::strcpy(s.GetBuffer(10), "abc");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s, "abc");

    CString t("C:\\A\\B");
    EXPECT_EQ(t.ReverseFind('\\'), 4);
    EXPECT_EQ(t.Find('\\'), 2);
    EXPECT_EQ(t.Find('\\', 3), 4);
    EXPECT_EQ(t.Find('z'), -1);
    EXPECT_EQ(t.Find('A', 99), -1);
    EXPECT_EQ(t.Left(2), "C:");
    EXPECT_EQ(t.Mid(3), "A\\B");
    EXPECT_EQ(t.Mid(5, 99), "B");
    EXPECT_EQ(t.Mid(99), "");
    EXPECT_EQ(t.Right(1), "B");
    EXPECT_EQ(t.Right(99), t);
    EXPECT_EQ(CString("Open").CompareNoCase("OPEN"), 0);
    EXPECT_NE(CString("Open").CompareNoCase("OPENx"), 0);
}

TEST(CString, BytesAboveAsciiAndEmbeddedTextSurvive) {
    CString s("\xA0\xE9");
    s += '\t';
    s += CString(' ', 2);
    EXPECT_EQ(s.GetLength(), 5);
    EXPECT_EQ(static_cast<unsigned char>(s[0]), 0xA0);
    s.TrimRight();
    EXPECT_EQ(s, "\xA0\xE9");
    CString f;
    f.Format("%s=%d", "n", 42);
    EXPECT_EQ(f, "n=42");
    f.Format("%s", std::string(5000, 'x').c_str());
    EXPECT_EQ(f.GetLength(), 5000);
}
}  // namespace
