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

// The extended-length form of an absolute path, for reaching files past MAX_PATH in a test.
std::wstring LongPath(const std::string& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }

std::string ReadLong(const std::string& path) {
    return ReadAll(::CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

std::string ListLong(const std::string& dir) {
    std::string names;
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((LongPath(dir) + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return "<none>";
    do {
        std::wstring n = fd.cFileName;
        if (n != L"." && n != L"..") names += (names.empty() ? "" : ",") + std::string(n.begin(), n.end());
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
    return names;
}

// A directory of 247 to 259 characters is too long for the system's temporary names, and the
// files in it lie past MAX_PATH: they are still written whole and replaced, with no temporary left.
TEST(SaveFileReplacing, LongDirectories) {
    for (size_t length : {247u, 250u, 259u}) {
        SCOPED_TRACE(length);
        ScratchDir scratch;
        std::string dir = scratch.path() + "\\";
        dir += std::string(length - dir.size(), 'd');
        ASSERT_TRUE(::CreateDirectoryW(LongPath(dir).c_str(), nullptr));
        const std::string path = dir + "\\License.txt";
        EXPECT_EQ(Save(path, std::string(1000, 'a')), SaveResult::ok);
        EXPECT_EQ(ReadLong(path), std::string(1000, 'a'));
        EXPECT_EQ(Save(path, "second"), SaveResult::ok);
        EXPECT_EQ(ReadLong(path), "second");
        EXPECT_EQ(ListLong(dir), "License.txt");
        ::DeleteFileW(LongPath(path).c_str());
        ::RemoveDirectoryW(LongPath(dir).c_str());
    }
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
