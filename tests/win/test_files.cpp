#include "../../framework/File.h"
#include "../../install/Error.h"
#include "../../install/config/LicenseDlg.h"
#include "../../install/config/LicenseText.h"
#include "WinTest.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {
SaveResult Save(const std::string& path, const std::string& text) {
    return SaveFileReplacing(path.c_str(), text.data(), text.size());
}

TEST(SaveFileReplacing, WritesOrReplacesWholeAndLeavesNoTemporary) {
    ScratchDir dir;
    const std::string path = dir / "out.txt";
    EXPECT_EQ(Save(path, std::string("a\r\nb\n\0c", 7)), SaveResult::ok);
    EXPECT_EQ(ReadText(path), std::string("a\r\nb\n\0c", 7)) << "bytes as given, no newline translation";
    ASSERT_TRUE(WriteText(path, std::string(10000, 'o')));
    EXPECT_EQ(Save(path, "short"), SaveResult::ok);
    EXPECT_EQ(ReadText(path), "short") << "replaced, not appended or overlaid";
    EXPECT_EQ(Save(path, ""), SaveResult::ok);
    EXPECT_EQ(ReadText(path), "");
    EXPECT_EQ(ListDir(dir.path()), "out.txt");
}

TEST(SaveFileReplacing, RefusedFileStaysAsItWas) {
    ScratchDir dir;
    const std::string path = dir / "old.txt";
    ASSERT_TRUE(WriteText(path, "old contents"));

    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Save(path, "new"), SaveResult::cannotCreate);
    EXPECT_EQ(ReadText(path), "old contents");
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));

    HANDLE lock = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Save(path, "new"), SaveResult::cannotCreate);
    ::CloseHandle(lock);
    EXPECT_EQ(ReadText(path), "old contents");

    EXPECT_EQ(Save(dir / "missing\\x.txt", "new"), SaveResult::cannotCreate);
    EXPECT_EQ(Save(dir.path() + "\\" + std::string(300, 'n'), "new"), SaveResult::cannotCreate);
    EXPECT_EQ(ListDir(dir.path()), "old.txt");
}

TEST(LicenseFile, HoldsTheThreeTextsWithOrWithoutTrailingBackslash) {
    ScratchDir dir;
    const size_t expected = std::strlen(kLicenseNotice) + std::strlen(kLicenseTerms) + std::strlen(kLicenseCopyright);
    for (const std::string& d : {dir.path(), dir.path() + "\\"}) {
        ASSERT_TRUE(WriteText(dir / "License.txt", std::string(expected * 2, 'x')));
        CLicenseDlg::WriteLicenseFile(d.c_str());
        std::string text = ReadText(dir / "License.txt");
        EXPECT_EQ(text.size(), expected);
        EXPECT_EQ(text, std::string(kLicenseNotice) + kLicenseTerms + kLicenseCopyright);
    }
    EXPECT_EQ(ListDir(dir.path()), "License.txt");
}

TEST(LicenseFile, FailuresAreFatalErrorsWithTheirTexts) {
    ScratchDir dir;
    try {
        CLicenseDlg::WriteLicenseFile((dir / "missing").c_str());
        FAIL() << "no error";
    } catch (const CError& e) {
        EXPECT_EQ(e.m_nSeverity, 1);
        EXPECT_EQ(e.m_strMessage, "Unable to Open License file");
    }
    ASSERT_TRUE(WriteText(dir / "License.txt", "kept"));
    ASSERT_TRUE(::SetFileAttributesA((dir / "License.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(CLicenseDlg::WriteLicenseFile(dir.path().c_str()), CError);
    EXPECT_EQ(ReadText(dir / "License.txt"), "kept");
}
}  // namespace
