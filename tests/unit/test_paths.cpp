#include "../../install/services/InstallFile.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {
class Paths : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CInstallFile::SetEntry(CInstallFile::m_szWinDir, "C:\\WINDOWS"));
        ASSERT_TRUE(CInstallFile::SetEntry(CInstallFile::m_szSysDir, "C:\\WINDOWS\\system32"));
        ASSERT_TRUE(CInstallFile::SetEntry(CInstallFile::m_szCurrDir, "D:\\"));
        ASSERT_TRUE(CInstallFile::SetInstallDir("C:\\Program Files\\Velmora"));
    }
    static std::string Expand(const char* text, BOOL expected = TRUE) {
        char result[kPathBuf];
        std::memset(result, 'x', sizeof result);
        EXPECT_EQ(CInstallFile::ExpandPath(text, result), expected) << text;
        return result;
    }
};

TEST_F(Paths, ExpandPath) {
    const std::string name40(40, 'N'), name39(39, 'N');
    const struct {
        std::string text, result;
    } cases[] = {
        {"#WINDIR#\\fonts", "C:\\WINDOWS\\fonts"},
        {"#INSTDIR#", "C:\\Program Files\\Velmora"},
        {"x#SYSDIR#", "C:\\WINDOWS\\system32"},  // the prefix is dropped
        {"#CURRDIR#sub", "D:\\sub"},
        {"D:\\data", "D:\\data"},
        {" ", " "},
        {"", ""},
        {"#windir#", ""},  // case matters
        {"#TEMP#\\a", ""},
        {"#WINDIRX#", ""},  // whole names only
        {"#WIN#", ""},
        {"##", ""},
        {"#WINDIR##SYSDIR#", "C:\\WINDOWS#SYSDIR#"},  // one macro per path
        {"#WINDIR", ""},                             // unclosed
        {"abc#", ""},
        {"#" + name40 + "#", ""},  // over-long name
        {"#" + name39 + "#", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Expand(c.text.c_str()), c.result) << c.text;
}

TEST_F(Paths, ExpandPathKeepsTrailingBackslashOfValue) {
    ASSERT_TRUE(CInstallFile::SetInstallDir("C:\\A\\"));
    EXPECT_EQ(Expand("#INSTDIR#\\sub\\x.dll"), "C:\\A\\\\sub\\x.dll");
}

TEST_F(Paths, ExpansionThatDoesNotFitIsRefusedNotCut) {
    const std::string dir(249, 'd');
    ASSERT_TRUE(CInstallFile::SetInstallDir(dir.c_str()));
    EXPECT_EQ(Expand("#INSTDIR#\\123456789"), dir + "\\123456789");  // exactly 260 with the terminator
    EXPECT_EQ(Expand("#INSTDIR#\\1234567890", FALSE), "");
    EXPECT_EQ(Expand(std::string(260, 'p').c_str(), FALSE), "");
    EXPECT_EQ(Expand(std::string(259, 'p').c_str()), std::string(259, 'p'));
}

TEST_F(Paths, InstallDirIsStoredVerbatimAndLengthIsBounded) {
    for (const char* dir : {"c:\\Program Files\\Velmora\\", "\"C:\\quoted\"", "  blanks  ", ""}) {
        ASSERT_TRUE(CInstallFile::SetInstallDir(dir));
        EXPECT_EQ(CInstallFile::GetInstallDir(), dir);
    }
    ASSERT_TRUE(CInstallFile::SetInstallDir("C:\\keep"));
    EXPECT_TRUE(CInstallFile::SetInstallDir(std::string(259, 'a').c_str()));
    EXPECT_FALSE(CInstallFile::SetInstallDir(std::string(260, 'b').c_str()));
    EXPECT_EQ(CInstallFile::GetInstallDir(), std::string(259, 'a').c_str());
    EXPECT_EQ(CInstallFile::GetWinDir(), "C:\\WINDOWS");
}

TEST(JoinFileName, OneBackslashUnlessTheDirectoryEndsInOne) {
    EXPECT_EQ(JoinFileName("C:\\A", "License.txt"), "C:\\A\\License.txt");
    EXPECT_EQ(JoinFileName("C:\\A\\", "License.txt"), "C:\\A\\License.txt");
    EXPECT_EQ(JoinFileName("C:\\", "License.txt"), "C:\\License.txt");
    EXPECT_EQ(JoinFileName("", "License.txt"), "\\License.txt");
    EXPECT_EQ(JoinFileName("C:\\A\\\\", "x"), "C:\\A\\\\x");
}

TEST(InstallFileClass, IsCreatableByName) {
    CObject* p = CRuntimeClass::CreateObject("CInstallFile");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->IsKindOf(RUNTIME_CLASS(CInstallFile)));
    EXPECT_TRUE(p->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_STREQ(p->GetRuntimeClass()->m_lpszClassName, "CInstallFile");
    delete p;
    EXPECT_EQ(CRuntimeClass::CreateObject("CObject"), nullptr);  // not creatable
    EXPECT_EQ(CRuntimeClass::CreateObject("CNoSuchClass"), nullptr);
}
}  // namespace
