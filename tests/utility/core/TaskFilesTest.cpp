// The tasks that only work on files: the RAM-folder clean-up and the settings deletion.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "TaskTestSupport.h"
#include "framework/ScratchFolder.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/VMUThreadTaskBrowserSettingEX.h"
#include "utility/core/VMUThreadTaskRAMFolderEX.h"
#include "utility/core/VMUThreadTaskSettingDeleteEx.h"
#include "utility/links/BrowserFirefox.h"

namespace {

using namespace tasktest;

// The scratch folder as the RAM-disk drive's root sees it: its path without "C:\".
struct RamDiskRoot {
    RamDiskRoot() : letter(scratch.Path()[0]), relative(scratch.Path().substr(3)) {}
    std::wstring Key(const std::wstring& name) const { return relative + L"\\" + name; }
    ScratchFolder scratch;
    wchar_t letter;
    std::wstring relative;
};

}  // namespace

TEST(TaskRAMFolder, DeletesEveryListedFolderAndClearsTheList) {
    RamDiskRoot root;
    const std::wstring cache = root.scratch / L"Temporary Internet Files";
    ASSERT_TRUE(ScratchFolder::MakeFolder(cache));
    ASSERT_TRUE(ScratchFolder::MakeFolder(cache + L"\\Low"));
    ASSERT_TRUE(ScratchFolder::Write(cache + L"\\Low\\x.dat", std::vector<char>(64, 'x')));
    ASSERT_TRUE(ScratchFolder::MakeFolder(root.scratch / L"Keep"));
    const std::wstring settings = root.scratch / L"VelmoraEX0.ini";
    ASSERT_TRUE(WriteIni(settings, RamDiskIni(L"1048576", L"R") + L"[DeletePath]\r\n" +
                                       root.Key(L"Temporary Internet Files") + L"=0\r\n" + root.Key(L"History") +
                                       L"=0\r\n"));

    CVMUThreadTaskRAMFolderEX task;
    task.DriveLetter = static_cast<wchar_t>(towlower(root.letter));  // the folder is built with the upper case
    task.SettingsPath = settings;
    task.Execute();
    EXPECT_EQ(task.Type, 14);
    EXPECT_FALSE(Exists(cache));
    EXPECT_TRUE(Exists(root.scratch / L"Keep"));
    std::vector<std::wstring> left;
    USettingsFile::ReadDeletePath(settings, left);
    EXPECT_TRUE(left.empty()) << "keys go also when their folder was not there";
    EXPECT_TRUE(USettingsFile::HasRamDiskSection(settings));
}

TEST(TaskRAMFolder, EmptyListChangesNothing) {
    ScratchFolder scratch;
    const std::wstring settings = scratch / L"VelmoraEX0.ini";
    ASSERT_TRUE(WriteIni(settings, RamDiskIni(L"1048576", L"R") + L"[DeletePath]\r\n"));
    const std::vector<char> before = ScratchFolder::Read(settings);
    CVMUThreadTaskRAMFolderEX task;
    task.DriveLetter = L'C';
    task.SettingsPath = settings;
    task.Execute();
    EXPECT_EQ(ScratchFolder::Read(settings), before);
    task.SettingsPath = scratch / L"VelmoraEX1.ini";
    task.Execute();
    EXPECT_FALSE(Exists(task.SettingsPath)) << "a missing file is not created";
}

TEST(TaskRAMFolder, NamesThatReachTheRootOrAboveDeleteNothing) {
    RamDiskRoot root;
    const std::wstring inside = root.scratch / L"Cache";
    ASSERT_TRUE(ScratchFolder::MakeFolder(inside));
    ASSERT_TRUE(ScratchFolder::Write(inside + L"\\f", {'f'}));
    const std::wstring settings = root.scratch / L"VelmoraEX0.ini";
    // "<scratch>\Cache\.." names the scratch folder itself, which holds the settings file.
    ASSERT_TRUE(WriteIni(
        settings, RamDiskIni(L"1048576", L"R") + L"[DeletePath]\r\n" + root.Key(L"Cache\\..") + L"=0\r\n.\\=0\r\n"));
    CVMUThreadTaskRAMFolderEX task;
    task.DriveLetter = root.letter;
    task.SettingsPath = settings;
    task.Execute();
    EXPECT_TRUE(Exists(inside + L"\\f"));
    std::vector<std::wstring> left;
    USettingsFile::ReadDeletePath(settings, left);
    EXPECT_TRUE(left.empty());

    EXPECT_EQ(CVMUThreadTaskRAMFolderEX::FolderOf(L'r', L"History"), L"R:\\History");
    EXPECT_EQ(CVMUThreadTaskRAMFolderEX::FolderOf(L'R', L"a\\.\\b"), L"R:\\a\\.\\b");
    for (const wchar_t* name : {L"", L".", L"\\", L"..", L"x\\..\\..", L"C:\\Windows", L"./"})
        EXPECT_EQ(CVMUThreadTaskRAMFolderEX::FolderOf(L'R', name), L"") << "name " << name;
    EXPECT_EQ(CVMUThreadTaskRAMFolderEX::FolderOf(0, L"History"), L"") << "no drive letter, no folder";
}

// One disk's caches switched on and off in turn (Firefox's, in a profile of its own; drive B: has
// no volume): what moved, and which RAM-disk folders are left for the next enable to delete.
TEST(TaskBrowserSetting, MovesTheRequestedCachesAndKeepsTheDeleteListInStep) {
    ScratchFolder home;
    wchar_t savedAppData[MAX_PATH] = {};
    GetEnvironmentVariableW(L"APPDATA", savedAppData, MAX_PATH);
    SetEnvironmentVariableW(L"APPDATA", home.Path().c_str());
    const std::wstring profile = home / L"Mozilla\\Firefox\\Profiles\\p.default";
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, profile.c_str(), nullptr), ERROR_SUCCESS);
    const std::string ini = "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/p.default\r\n";
    ASSERT_TRUE(
        ScratchFolder::Write(home / L"Mozilla\\Firefox\\Profiles.ini", std::vector<char>(ini.begin(), ini.end())));
    const std::wstring settings = home / L"VelmoraEX0.ini";
    ASSERT_TRUE(WriteIni(settings, RamDiskIni(L"1048576", L"B")));
    CVelmoraEXCacheSettingData firefox;
    firefox.FirefoxCache = 1;

    struct Step {
        const char* what;
        int32_t switchOn;
        wchar_t letter;
        std::vector<std::wstring> before, after;  // an empty before keeps the list as it is
        int32_t moved;
        const wchar_t* parent;  // the profile's cache folder afterwards
    } steps[] = {
        {"on: moves, its folder leaves the list",
         1,
         L'B',
         {L"Cache", L"History", L"Other"},
         {L"History", L"Other"},
         1,
         L"B:\\Cache"},
        {"on again: nothing moves", 1, L'B', {}, {L"History", L"Other"}, 0, L"B:\\Cache"},
        {"off with a letter: every cache folder leaves the list",
         0,
         L'B',
         {L"Temporary Internet Files", L"Cache", L"Chrome Cache", L"History", L"Other"},
         {L"Other"},
         1,
         L""},
        {"off without a letter: its folder joins the list", 0, 0, {L"Other"}, {L"Other", L"Cache"}, 0, L""},
        {"on without a letter: moves nothing, its folder leaves the list",
         1,
         0,
         {L"Cache", L"Other"},
         {L"Other"},
         0,
         L""},
    };
    for (const Step& step : steps) {
        if (!step.before.empty()) USettingsFile::WriteDeletePath(settings, step.before);
        CVMUThreadTaskBrowserSettingEX task;
        task.DriveLetter = step.letter;
        task.SettingsPath = settings;
        task.SwitchOn = step.switchOn;
        task.NoBackup = 1;
        task.Request = firefox;
        task.Execute();
        EXPECT_EQ(task.Type, 13);
        EXPECT_EQ(task.Result, 0) << step.what;
        EXPECT_EQ(task.Outcome.FirefoxCache, step.moved) << step.what;
        EXPECT_EQ(task.Outcome.IECache + task.Outcome.IEHistory + task.Outcome.ChromeCache, 0) << step.what;
        EXPECT_EQ(UBrowserFirefox::GetCacheParent(profile), step.parent) << step.what;
        std::vector<std::wstring> left;
        USettingsFile::ReadDeletePath(settings, left);
        EXPECT_EQ(left, step.after) << step.what;
    }
    SetEnvironmentVariableW(L"APPDATA", savedAppData);
}

TEST(TaskSettingDelete, DeletesTheDisksFilesAndRegistration) {
    ScratchFolder scratch;
    RegistrationGuard registration;
    const std::wstring settings = scratch / L"VelmoraEX0.ini";
    const std::wstring backup = scratch / L"Backup0";
    ASSERT_TRUE(WriteIni(settings, RamDiskIni(L"1048576", L"R", 1, backup)));
    ASSERT_TRUE(ScratchFolder::MakeFolder(backup));
    ASSERT_TRUE(ScratchFolder::Write(backup + L"\\VelmoraEX0.dat", std::vector<char>(10, 'd')));
    registration.Watch(settings);
    ASSERT_FALSE(ULoadSettings::RegisterAtStartup(settings));

    CVMUThreadTaskSettingDeleteEx task;
    task.SettingsPath = settings;
    USettingsFile::ReadRamDisk(settings, task.Setting);
    task.Result = 5;
    task.Message = L"old";
    task.RestartNeeded = 1;
    task.Execute();
    EXPECT_EQ(task.Type, 9);
    EXPECT_EQ(task.Result, 0);
    EXPECT_TRUE(task.Message.empty());
    EXPECT_EQ(task.RestartNeeded, 0);
    EXPECT_FALSE(Exists(settings));
    EXPECT_FALSE(Exists(backup + L"\\VelmoraEX0.dat"));
    EXPECT_FALSE(ULoadSettings::IsRegisteredAtStartup(settings));
}

TEST(TaskSettingDelete, AFileInUseIsDeletedAtRestartAndTheTaskSaysSo) {
    ScratchFolder scratch;
    PendingRenameGuard scheduled;
    const std::wstring settings = scratch / L"VelmoraEX0.ini";
    const std::wstring backup = scratch / L"Backup0";
    ASSERT_TRUE(WriteIni(settings, RamDiskIni(L"1048576", L"R", 1, backup)));
    ASSERT_TRUE(ScratchFolder::MakeFolder(backup));
    ASSERT_TRUE(ScratchFolder::Write(backup + L"\\VelmoraEX0.dat", std::vector<char>(10, 'd')));
    HeldFile held(backup + L"\\VelmoraEX0.dat");
    ASSERT_TRUE(held.IsHeld());

    CVMUThreadTaskSettingDeleteEx task;
    task.SettingsPath = settings;
    USettingsFile::ReadRamDisk(settings, task.Setting);
    task.Execute();
    EXPECT_EQ(task.Result, 0);
    EXPECT_EQ(task.RestartNeeded, 1);
    EXPECT_FALSE(Exists(settings));
    auto added = scheduled.Added();
    ASSERT_EQ(added.size(), 1u);
    EXPECT_NE(added[0].find(L"VelmoraEX0.dat"), std::wstring::npos);
}
