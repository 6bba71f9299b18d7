// Chrome's cache on the RAM disk: the failure paths against Wine's real refusal of junctions and
// of renames, the success paths with the reparse-point double.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/FakeReparsePoints.h"
#include "common/Junction.h"
#include "framework/Handle.h"
#include "framework/ScratchFolder.h"
#include "utility/links/BrowserChrome.h"
#include "utility/links/BrowserFirefox.h"
#include "utility/links/BrowserTestProcess.h"

namespace {

using Files = std::map<std::wstring, std::string>;

// A cache folder with files in two levels.
const Files kCache = {{L"index", "idx"}, {L"data_0", std::string(5000, 'd')}, {L"f_000001", "f1"}};

void Fill(const std::wstring& folder, const Files& files) {
    ScratchFolder::MakeFolder(folder);
    ScratchFolder::MakeFolder(folder + L"\\sub");
    for (const auto& file : files) {
        ScratchFolder::Write(folder + L"\\" + file.first, std::vector<char>(file.second.begin(), file.second.end()));
        ScratchFolder::Write(folder + L"\\sub\\" + file.first,
                             std::vector<char>(file.second.begin(), file.second.end()));
    }
}

// Every file of `files` is in `folder` and in its "sub" with the same bytes.
::testing::AssertionResult Holds(const std::wstring& folder, const Files& files) {
    for (const auto& file : files) {
        for (const std::wstring& at : {folder + L"\\" + file.first, folder + L"\\sub\\" + file.first}) {
            const std::vector<char> data = ScratchFolder::Read(at);
            if (std::string(data.begin(), data.end()) != file.second)
                return ::testing::AssertionFailure() << "wrong or missing: " << std::string(at.begin(), at.end());
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(BrowserChrome, EveryFailingStepLeavesTheCacheWhereItWas) {
    ScratchFolder scratch;
    const std::wstring cache = scratch / L"Cache", ram = scratch / L"Chrome Cache";
    Fill(cache, kCache);
    ScratchFolder::MakeFolder(ram);
    bool changed = true;

    // Wine refuses the junction (50): the renamed folder goes back.
    EXPECT_FALSE(UBrowserChrome::Apply(cache, ram, UBrowserChrome::BackupName(cache), changed));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
    EXPECT_FALSE(changed);
    EXPECT_TRUE(Holds(cache, kCache));
    EXPECT_FALSE(UJunction::IsJunction(cache));
    EXPECT_TRUE(UBrowserChrome::BackupFolders(cache).empty());

    // The folder itself held open without delete sharing: the rename is refused.
    {
        const CHandle held(CreateFileW(cache.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ASSERT_TRUE(held.IsValid());
        FakeReparsePoints junctions;
        EXPECT_FALSE(UBrowserChrome::Apply(cache, ram, UBrowserChrome::BackupName(cache), changed));
        EXPECT_FALSE(changed);
        EXPECT_EQ(junctions.sets, 0);
    }
    EXPECT_TRUE(Holds(cache, kCache));
    EXPECT_TRUE(UBrowserChrome::BackupFolders(cache).empty());
}

TEST(BrowserChrome, ApplyReapplyRepointAndUndoWithJunctions) {
    FakeReparsePoints junctions;
    ScratchFolder scratch;
    const std::wstring cache = scratch / L"Cache", ram = scratch / L"R\\Chrome Cache",
                       other = scratch / L"S\\Chrome Cache";
    Fill(cache, kCache);
    ScratchFolder::MakeFolder(scratch / L"R");
    ScratchFolder::MakeFolder(scratch / L"S");
    ScratchFolder::MakeFolder(ram);
    ScratchFolder::MakeFolder(other);
    Fill(scratch / L"Cache_Backup7", {{L"stale", "s"}});
    ASSERT_TRUE(ScratchFolder::Write(scratch / L"Cache_Backup.txt", {'f'}));
    ScratchFolder::MakeFolder(scratch / L"Cache_Backup");
    EXPECT_EQ(UBrowserChrome::BackupName(cache), scratch / L"Cache_Backup1");
    ScratchFolder::RemoveTree(scratch / L"Cache_Backup");

    bool changed = false;
    const std::wstring backup = UBrowserChrome::BackupName(cache);
    ASSERT_EQ(backup, scratch / L"Cache_Backup");
    ASSERT_TRUE(UBrowserChrome::Apply(cache, ram, backup, changed));
    EXPECT_TRUE(changed);
    std::wstring target;
    ASSERT_TRUE(UJunction::IsJunction(cache, &target));
    EXPECT_EQ(target, L"\\??\\" + ram);
    EXPECT_TRUE(Holds(backup, kCache));
    EXPECT_TRUE(Holds(ram, kCache));

    ASSERT_TRUE(UBrowserChrome::Apply(cache, ram, UBrowserChrome::BackupName(cache), changed));
    EXPECT_FALSE(changed);
    ASSERT_TRUE(UBrowserChrome::Apply(cache, other, UBrowserChrome::BackupName(cache), changed));
    EXPECT_TRUE(changed) << "a new drive letter re-points the junction";
    ASSERT_TRUE(UJunction::IsJunction(cache, &target));
    EXPECT_EQ(target, L"\\??\\" + other);
    EXPECT_FALSE(ScratchFolder::Exists(scratch / L"Cache_Backup1"));

    Fill(other, {{L"fresh", "new"}});
    ASSERT_TRUE(UBrowserChrome::Undo(cache, changed));
    EXPECT_TRUE(changed);
    EXPECT_FALSE(UJunction::IsJunction(cache));
    EXPECT_TRUE(Holds(cache, {{L"fresh", "new"}}));
    EXPECT_FALSE(ScratchFolder::Exists(other));
    EXPECT_TRUE(UBrowserChrome::BackupFolders(cache).empty()) << "stale backups go too";
    EXPECT_FALSE(ScratchFolder::Exists(scratch / L"Cache_Backup7"));
    EXPECT_TRUE(ScratchFolder::Exists(scratch / L"Cache_Backup.txt")) << "only folders are backups";
}

TEST(BrowserChrome, UndoAfterTheRamDiskWasLostBringsTheBackupBack) {
    FakeReparsePoints junctions;
    ScratchFolder scratch;
    const std::wstring cache = scratch / L"Cache", ram = scratch / L"Chrome Cache";
    Fill(cache, kCache);
    ScratchFolder::MakeFolder(ram);
    bool changed = false;
    ASSERT_TRUE(UBrowserChrome::Apply(cache, ram, UBrowserChrome::BackupName(cache), changed));
    ScratchFolder::RemoveTree(ram);
    ASSERT_TRUE(UBrowserChrome::Undo(cache, changed));
    EXPECT_TRUE(changed);
    EXPECT_FALSE(UJunction::IsJunction(cache));
    EXPECT_TRUE(Holds(cache, kCache));
    EXPECT_TRUE(UBrowserChrome::BackupFolders(cache).empty());
}

TEST(BrowserChrome, RunningMeansAProcessNamedChromeExeAndFirefoxLikewise) {
    EXPECT_FALSE(UBrowserChrome::IsRunning());
    EXPECT_FALSE(UBrowserFirefox::IsRunning());
    ScratchFolder scratch;
    BrowserTestProcess chrome(scratch / L"chrome.exe"), firefox(scratch / L"FIREFOX.EXE");
    ASSERT_TRUE(chrome.Started() && firefox.Started());
    EXPECT_TRUE(UBrowserChrome::IsRunning());
    EXPECT_TRUE(UBrowserFirefox::IsRunning());
    chrome.Stop();
    EXPECT_FALSE(UBrowserChrome::IsRunning());
}
