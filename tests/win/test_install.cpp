// CInstallFile against the real version-installation service and type library registration.
#include "../../install/services/InstallFile.h"
#include "../../install/Error.h"
#include "WinTest.h"
#include <gtest/gtest.h>
#include <vector>

namespace {
std::string Fixture(const char* name) {
    char self[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self, n);
    return dir.substr(0, dir.rfind('\\')) + "\\fixtures\\" + name;
}

std::string SystemDir() {
    char buf[MAX_PATH];
    return std::string(buf, ::GetSystemDirectoryA(buf, MAX_PATH));
}

class RealService : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(::SetCurrentDirectoryA(m_medium.path().c_str()));
        ASSERT_TRUE(CInstallFile::InitDirectories(m_inst.path().c_str()));
    }
    void TearDown() override { ::SetCurrentDirectoryA("c:\\"); }

    CInstallFile Located(std::string line) {
        CInstallFile file;
        std::vector<char> buf(line.begin(), line.end());
        buf.push_back('\0');
        file.ParseLine(buf.data());
        file.FindDestination();
        return file;
    }
    // Installs and returns the thrown error's severity and message, or -1 for success.
    static std::pair<int, std::string> TryInstall(CInstallFile& file, BOOL force) {
        try {
            file.Install(force);
            return {-1, ""};
        } catch (const CError& error) {
            return {error.m_nSeverity, error.m_strMessage.str()};
        }
    }
    ScratchDir m_medium, m_inst;
};

TEST_F(RealService, DestinationFollowsTheSharedFlagAndTheApplicationDirectory) {
    char win[MAX_PATH];
    const std::string winDir(win, ::GetWindowsDirectoryA(win, MAX_PATH));
    const struct {
        const char* line;
        std::string dest;
    } cases[] = {
        {" @velmora-none.dll@1@a.dll@ @", SystemDir()},
        {" @velmora-none.dll@1 @a.dll@ @", m_inst.path()},
        {" @velmora-none.dll@01@a.dll@ @", m_inst.path()},
        {" @velmora-none.dll@0@a.dll@#WINDIR#@", winDir},
        {" @velmora-none.dll@0@a.dll@#NONE#@", m_inst.path()},
        {" @velmora-none.dll@0@a.dll@ @", m_inst.path()},
    };
    for (const auto& c : cases) {
        CInstallFile file = Located(c.line);
        EXPECT_EQ(::lstrcmpiA(file.m_szDestDir, c.dest.c_str()), 0) << c.line << " -> " << file.m_szDestDir;
    }
}

TEST_F(RealService, VersionOutcomes) {
    ASSERT_TRUE(::CopyFileA(Fixture("v1\\sample.dll").c_str(), (m_medium / "sample.dll").c_str(), FALSE));

    CInstallFile fresh = Located(" @sample.dll@0@fresh.dll@ @");
    EXPECT_EQ(TryInstall(fresh, FALSE).first, -1);
    EXPECT_EQ(ReadText(m_inst / "fresh.dll"), ReadText(m_medium / "sample.dll"));

    // A newer file in place: the unforced attempt reports every flag the service set.
    ASSERT_TRUE(::CopyFileA(Fixture("v2\\sample.dll").c_str(), (m_inst / "sample.dll").c_str(), FALSE));
    CInstallFile older = Located(" @sample.dll@0@sample.dll@ @");
    auto unforced = TryInstall(older, FALSE);
    EXPECT_EQ(unforced.first, 2);
    EXPECT_NE(unforced.second.find("The file to install is older than the preexisting file. "), std::string::npos)
        << unforced.second;
    EXPECT_EQ(ReadText(m_inst / "sample.dll"), ReadText(Fixture("v2\\sample.dll")));
    EXPECT_EQ(TryInstall(older, TRUE).first, -1);
    EXPECT_EQ(ReadText(m_inst / "sample.dll"), ReadText(m_medium / "sample.dll"));

    CInstallFile missing = Located(" @absent.dll@0@absent.dll@ @");
    auto noSource = TryInstall(missing, TRUE);
    EXPECT_EQ(noSource.first, 1);
    EXPECT_EQ(noSource.second.rfind("VIF_CANNOTREADSRC\t", 0), 0u) << noSource.second;
}

TEST_F(RealService, TypeLibraryRegistration) {
    ASSERT_TRUE(::CopyFileA(Fixture("sample.tlb").c_str(), (m_inst / "sample.tlb").c_str(), FALSE));
    ASSERT_TRUE(WriteText(m_inst / "text.tlb", "not a type library"));
    const struct {
        const char* name;
        const char* message;  // null: registered
    } cases[] = {
        {"sample.tlb", nullptr},
        {"absent.tlb", "\tThe type library or DLL could not be loaded."},
        {"text.tlb", "\tThe type library or DLL could not be loaded."},
    };
    for (const auto& c : cases) {
        CInstallFile lib;
        lib.SetFileName(c.name);
        try {
            lib.RegisterTypeLibrary();
            EXPECT_EQ(c.message, nullptr) << c.name;
        } catch (const CError& error) {
            ASSERT_NE(c.message, nullptr) << c.name << ": " << error.m_strMessage.str();
            EXPECT_TRUE(error.IsFatal());
            EXPECT_EQ(error.m_strMessage.str(), c.message);
        }
    }
    HKEY key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CLASSES_ROOT, "TypeLib\\{6F1D9A52-3C0B-4E7A-9B21-5A8E0C4D7F13}\\1.0", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
}
}  // namespace
