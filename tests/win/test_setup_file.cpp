// Setup.txt written by the default setup dialog's writer into real directories.
#include "../../install/Error.h"
#include "../../install/config/DefaultSetupDlg.h"
#include "../../install/config/SetupText.h"
#include "../../install/services/InstallFile.h"
#include "WinTest.h"
#include <gtest/gtest.h>

namespace {
// The writer without its window: the members as SetDefaults leaves them.
struct DefaultDialog : CDefaultSetupDlg {
    explicit DefaultDialog(const std::string& strInstallDir) {
        SetDefaults(kDefaultCharacterDir, kDefaultOfficeDir, strInstallDir.c_str());
    }
};

// The file without its date line, which depends on the clock.
std::string WithoutDate(const std::string& text) {
    size_t first = text.find('\r');
    size_t second = text.find('\r', first + 1);
    if (first == std::string::npos || second == std::string::npos) return "<no header>";
    return text.substr(0, first + 1) + text.substr(second);
}

std::string ErrorOf(CDefaultSetupDlg& dlg) {
    try {
        dlg.WriteSetupFile();
    } catch (const CError& e) {
        EXPECT_EQ(e.m_nSeverity, 1);
        return e.m_strMessage.str();
    }
    return "<no error>";
}

TEST(SetupFile, WrittenIntoTheInstallationDirectoryWithOrWithoutBackslash) {
    ScratchDir dir;
    ASSERT_TRUE(CInstallFile::InitDirectories(dir.path().c_str()));
    for (const std::string& d : {dir.path(), dir.path() + "\\"}) {
        ASSERT_TRUE(WriteText(dir / "Setup.txt", std::string(6000, 'o')));
        DefaultDialog dlg(d);
        dlg.m_strCharacterDir = "d:\\chars";
        dlg.WriteSetupFile();

        SetupValues values = DefaultSetupValues("d:\\chars", kDefaultOfficeDir, dir.path().c_str());
        CString expected;
        ASSERT_TRUE(ComposeSetupText(values, CInstallFile::GetWinDir(), "", expected));
        const std::string text = ReadText(dir / "Setup.txt");
        EXPECT_EQ(WithoutDate(text), WithoutDate(expected.str())) << d;
        EXPECT_EQ(text.find("classes.zip"), std::string::npos);
        EXPECT_EQ(dlg.m_strCharacterDir, "d:\\chars\\");
    }
    EXPECT_EQ(ListDir(dir.path()), "Setup.txt");
}

TEST(SetupFile, RefusedFileStaysAsItWas) {
    ScratchDir dir;
    DefaultDialog missing(dir / "missing");
    EXPECT_EQ(ErrorOf(missing), "Unable to Open Setup file");

    ASSERT_TRUE(WriteText(dir / "Setup.txt", "kept"));
    DefaultDialog tooLong(dir.path());
    tooLong.m_strNetAgentFile = CString('n', kMaxSetupChars);
    EXPECT_EQ(ErrorOf(tooLong), "Unable to write Setup file");
    EXPECT_EQ(ReadText(dir / "Setup.txt"), "kept");

    ASSERT_TRUE(::SetFileAttributesA((dir / "Setup.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    DefaultDialog readOnly(dir.path());
    EXPECT_EQ(ErrorOf(readOnly), "Unable to Open Setup file");
    EXPECT_EQ(ReadText(dir / "Setup.txt"), "kept");
    EXPECT_EQ(ListDir(dir.path()), "Setup.txt");

    // Held open by another program without sharing: refused, and still as it was.
    ASSERT_TRUE(::SetFileAttributesA((dir / "Setup.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
    HANDLE lock = ::CreateFileA((dir / "Setup.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    DefaultDialog locked(dir.path());
    EXPECT_EQ(ErrorOf(locked), "Unable to Open Setup file");
    ::CloseHandle(lock);
    EXPECT_EQ(ReadText(dir / "Setup.txt"), "kept");
    EXPECT_EQ(ListDir(dir.path()), "Setup.txt");
}
}  // namespace
