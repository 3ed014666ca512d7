// uninstall.exe's steps against the real file system, registry, OLE and a child process.
#include "../../install/services/Product.h"
#include "../../uninstall/Removal.h"
#include "WinTest.h"
#include <gtest/gtest.h>
#include <oleauto.h>

namespace {
std::string BesideTests(const char* name) {
    char path[MAX_PATH];
    std::string dir(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    return dir.substr(0, dir.rfind('\\')) + "\\" + name;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The files Windows deletes at its next start (MOVEFILE_DELAY_UNTIL_REBOOT).
std::string PendingDeletes() {
    HKEY key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_QUERY_VALUE,
                        &key) != ERROR_SUCCESS)
        return std::string();
    std::string value(65536, '\0');
    DWORD size = static_cast<DWORD>(value.size());
    if (::RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(&value[0]),
                           &size) != ERROR_SUCCESS)
        size = 0;
    ::RegCloseKey(key);
    value.resize(size);
    return value;
}

TEST(InstallRecord, AppendedLineByLineAlsoInADirectoryOfUpTo259Characters) {
    ScratchDir scratch;
    for (size_t length : {20u, 250u, 259u}) {
        std::string dir = scratch.path() + "\\";
        dir += std::string(length > dir.size() ? length - dir.size() : 1, 'L');
        if (length > 20) {
            ASSERT_EQ(dir.size(), length);
        }
        std::wstring wide = L"\\\\?\\" + std::wstring(dir.begin(), dir.end());
        ASSERT_TRUE(::CreateDirectoryW(wide.c_str(), nullptr)) << length;
        const RecordEntry first{RecordKind::directory, dir}, second{RecordKind::file, dir + "\\a.dll"};
        AppendRecord(dir.c_str(), first);
        AppendRecord(dir.c_str(), second);
        std::string text;
        ASSERT_EQ(ReadRecord((dir + "\\" + kRecordFileName).c_str(), text), static_cast<DWORD>(ERROR_SUCCESS)) << length;
        EXPECT_EQ(text, std::string(kRecordHeader) + "\r\n" + ComposeRecordLine(first) + ComposeRecordLine(second)) << length;
        ::DeleteFileW((wide + L"\\install.log").c_str());
        ::RemoveDirectoryW(wide.c_str());
    }
    std::string text;
    EXPECT_EQ(ReadRecord((scratch / "none\\install.log").c_str(), text), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(RemoveFile, DeletesOrSchedulesForTheRestart) {
    ScratchDir dir;
    const struct {
        const char* name;
        bool create;
        DWORD share;  // of a handle held open meanwhile; ~0u: none
        bool readOnly;
        bool scheduled;
    } cases[] = {
        {"missing.dll", false, ~0u, false, false},
        {"plain.dll", true, ~0u, false, false},
        {"shared-open.dll", true, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false, false},
        {"in-use.dll", true, FILE_SHARE_READ, false, true},
        {"protected.dll", true, ~0u, true, true},
    };
    for (const auto& c : cases) {
        const std::string path = dir / c.name;
        if (c.create) {
            ASSERT_TRUE(WriteText(path, "x"));
        }
        if (c.readOnly) ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        HANDLE h = c.share == ~0u ? INVALID_HANDLE_VALUE
                                  : ::CreateFileA(path.c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING, 0, nullptr);
        RemovalOutcome outcome;
        RemoveFile(path.c_str(), outcome);
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
        EXPECT_TRUE(outcome.failed.empty()) << c.name << ": " << (outcome.failed.empty() ? "" : outcome.failed[0]);
        if (c.scheduled) {
            EXPECT_EQ(outcome.scheduled, std::vector<std::string>{path}) << c.name;
            EXPECT_TRUE(Exists(path)) << c.name;
            EXPECT_NE(PendingDeletes().find(path), std::string::npos) << c.name << " not among the deletes at restart";
        } else {
            EXPECT_TRUE(outcome.scheduled.empty()) << c.name;
            EXPECT_FALSE(Exists(path)) << c.name << " still there";
        }
    }
}

TEST(ReleaseSharedFile, TheFileGoesWithItsLastCount) {
    ScratchDir dir;
    const struct {
        const char* name;
        bool counted;
        DWORD count;
        bool fileStays;
        bool countStays;
        DWORD countAfter;
    } cases[] = {
        {"two.dll", true, 2, true, true, 1},
        {"one.dll", true, 1, false, false, 0},
        {"uncounted.dll", false, 0, true, false, 0},
    };
    for (const auto& c : cases) {
        const std::string path = dir / c.name;
        ASSERT_TRUE(WriteText(path, "x"));
        if (c.counted) {
            ASSERT_EQ(SetSharedCount(path.c_str(), c.count), ERROR_SUCCESS);
        }
        RemovalOutcome outcome;
        ReleaseSharedFile(path.c_str(), outcome);
        EXPECT_TRUE(outcome.failed.empty() && outcome.scheduled.empty()) << c.name;
        EXPECT_EQ(Exists(path), c.fileStays) << c.name;
        DWORD n = 0;
        EXPECT_EQ(QuerySharedCount(path.c_str(), n), c.countStays) << c.name;
        if (c.countStays) {
            EXPECT_EQ(n, c.countAfter) << c.name;
        }
        DeleteSharedCount(path.c_str());
    }
}

TEST(UnregisterServer, ExitCodeZeroIsDoneAnythingElseIsReported) {
    ScratchDir dir;
    const std::string exe = dir / "dorvik.exe";
    const struct {
        const char* exitCode;  // null: no program there
        const char* failure;
    } cases[] = {
        {"0", ""},
        {"1", " /UnregServer: ended with exit code 1"},
        {nullptr, " /UnregServer: could not be started"},
    };
    for (const auto& c : cases) {
        ::DeleteFileA(exe.c_str());
        ::DeleteFileA((exe + ".log").c_str());
        if (c.exitCode) {
            ASSERT_TRUE(::CopyFileA(BesideTests("standin.exe").c_str(), exe.c_str(), FALSE));
            ASSERT_TRUE(WriteText(exe + ".exitcode", c.exitCode));
        }
        RemovalOutcome outcome;
        UnregisterServer(exe.c_str(), outcome);
        if (*c.failure) {
            ASSERT_EQ(outcome.failed.size(), 1u) << c.failure;
            EXPECT_EQ(outcome.failed[0].rfind(exe + c.failure, 0), 0u) << outcome.failed[0];
        } else {
            EXPECT_TRUE(outcome.failed.empty()) << outcome.failed[0];
        }
        if (c.exitCode) {
            EXPECT_EQ(ReadText(exe + ".log"), "ran|/UnregServer\n");
        }
    }
}

TEST(UnregisterTypeLibFile, WithTheFilesOwnAttributesAndOnlyOnce) {
    ScratchDir dir;
    const std::string tlb = dir / "sample.tlb";
    ASSERT_TRUE(::CopyFileA(BesideTests("fixtures\\sample.tlb").c_str(), tlb.c_str(), FALSE));
    std::wstring wide(tlb.begin(), tlb.end());
    ITypeLib* lib = nullptr;
    ASSERT_EQ(::LoadTypeLib(wide.c_str(), &lib), S_OK);
    ASSERT_EQ(::RegisterTypeLib(lib, &wide[0], nullptr), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    const TLIBATTR saved = *attr;
    lib->ReleaseTLibAttr(attr);
    lib->Release();

    for (int round = 0; round < 2; ++round) {  // the second finds nothing left to do
        RemovalOutcome outcome;
        UnregisterTypeLibFile(tlb.c_str(), outcome);
        EXPECT_TRUE(outcome.failed.empty()) << round << ": " << outcome.failed[0];
        BSTR path = nullptr;
        EXPECT_NE(::QueryPathOfRegTypeLib(saved.guid, saved.wMajorVerNum, saved.wMinorVerNum, saved.lcid, &path), S_OK);
        ::SysFreeString(path);
    }
    RemovalOutcome outcome;
    UnregisterTypeLibFile((dir / "missing.tlb").c_str(), outcome);
    ASSERT_EQ(outcome.failed.size(), 1u);
    EXPECT_NE(outcome.failed[0].find("its type library cannot be read"), std::string::npos) << outcome.failed[0];
}
TEST(UninstallProgram, AsksForAdministratorRightsAsTheInstallerDoes) {
    HMODULE exe = ::LoadLibraryExA(BesideTests("uninstall.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC res = ::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(res, nullptr);
    const char* text = static_cast<const char*>(::LockResource(::LoadResource(exe, res)));
    const std::string manifest(text, ::SizeofResource(exe, res));
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""), std::string::npos) << manifest;
    ::FreeLibrary(exe);
}
}  // namespace
