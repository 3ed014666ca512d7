#include "../../install/services/InstallFile.h"
#include "WinTest.h"
#include <gtest/gtest.h>

namespace {
std::string SystemDir(UINT (WINAPI *query)(LPSTR, UINT)) {
    char buf[MAX_PATH];
    UINT n = query(buf, MAX_PATH);
    return std::string(buf, n);
}

TEST(InitDirectories, CapturesTheSystemDirectoriesOnce) {
    ScratchDir scratch;
    char before[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(::SetCurrentDirectoryA(scratch.path().c_str()));

    ASSERT_TRUE(CInstallFile::InitDirectories("c:\\Program Files\\Velmora\\"));
    EXPECT_STREQ(CInstallFile::m_szWinDir, SystemDir(::GetWindowsDirectoryA).c_str());
    EXPECT_STREQ(CInstallFile::m_szSysDir, SystemDir(::GetSystemDirectoryA).c_str());
    EXPECT_STREQ(CInstallFile::m_szCurrDir, scratch.path().c_str());
    EXPECT_STREQ(CInstallFile::m_szInstDir, "c:\\Program Files\\Velmora\\");
    EXPECT_NE(CInstallFile::m_szWinDir[0], '\0');

    // The start directory keeps meaning where we started, whatever the process does later.
    ASSERT_TRUE(::SetCurrentDirectoryA(before));
    char expanded[kPathBuf];
    ASSERT_TRUE(CInstallFile::ExpandPath("#CURRDIR#\\fileList.txt", expanded));
    EXPECT_EQ(std::string(expanded), scratch.path() + "\\fileList.txt");
    ASSERT_TRUE(CInstallFile::ExpandPath("#SYSDIR#", expanded));
    EXPECT_EQ(std::string(expanded), SystemDir(::GetSystemDirectoryA));
}

TEST(CreateInstallDir, CreatesOneLevelAndAcceptsOnlyAnExistingDirectory) {
    ScratchDir scratch;
    const std::string fresh = scratch / "Velmora";
    ASSERT_TRUE(CInstallFile::SetInstallDir(fresh.c_str()));
    EXPECT_TRUE(CInstallFile::CreateInstallDir());
    EXPECT_TRUE(::GetFileAttributesA(fresh.c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    EXPECT_TRUE(CInstallFile::CreateInstallDir()) << "an existing directory is used as it is";

    ASSERT_TRUE(CInstallFile::SetInstallDir((fresh + "\\").c_str()));
    EXPECT_TRUE(CInstallFile::CreateInstallDir()) << "trailing backslash";

    const std::string file = scratch / "plain.txt";
    ASSERT_TRUE(WriteText(file, "data"));
    ASSERT_TRUE(CInstallFile::SetInstallDir(file.c_str()));
    EXPECT_FALSE(CInstallFile::CreateInstallDir()) << "a file cannot take the product's files";
    EXPECT_EQ(ReadText(file), "data");

    const std::string deep = scratch / "missing\\new";
    ASSERT_TRUE(CInstallFile::SetInstallDir(deep.c_str()));
    EXPECT_FALSE(CInstallFile::CreateInstallDir());
    EXPECT_EQ(::GetFileAttributesA((scratch / "missing").c_str()), INVALID_FILE_ATTRIBUTES);
}
}  // namespace
