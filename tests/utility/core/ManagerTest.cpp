// The RAM-disk manager: its table of operations, loading from the real data folder, status
// from a driver double, pending deletions, shutdown saving and pending settings.
#include <windows.h>

#include <gtest/gtest.h>

#include "TaskTestSupport.h"
#include "framework/FindHandle.h"
#include "framework/ScratchFolder.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/SettingsRules.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/DataFolder.h"
#include "utility/disk/SystemRestart.h"

namespace {

using namespace tasktest;

CVelmoraEXData Disk(const std::wstring& path, int32_t mode = MODE_NOT_MOUNTED, wchar_t letter = 0,
                    int32_t saveType = SAVE_NONE) {
    CVelmoraEXData disk;
    disk.Status.SettingsPath = path;
    disk.Status.DiskOperation = kDiskOperationIdle;
    disk.Status.Mode = mode;
    disk.Status.CurrentLetter = letter;
    disk.Setting.SaveType = saveType;
    disk.Setting.DriveSize = 0x1000000;
    disk.Setting.DriveLetter = 'R';
    disk.Setting.FormatType = 4;
    disk.Setting.MemType = 1;
    return disk;
}

CVelmoraEXData Found(const CVelmoraEXManager& manager, const std::wstring& path) {
    CVelmoraEXData disk;
    EXPECT_EQ(manager.FindDisk(path, disk), 1) << "no disk " << path;
    return disk;
}

int CountPath(const CVelmoraEXManager& manager, const std::wstring& path) {
    int n = 0;
    for (const CVelmoraEXData& disk : manager.Disks()) n += USettingsRules::EqualNoCase(disk.Status.SettingsPath, path);
    return n;
}

// Copies a file to a name in the same folder that differs only in case, which Windows calls
// cannot do under Wine: through the Linux side. False when that side cannot be reached.
bool CopyUnderCaseVariant(const std::wstring& from, const std::wstring& toName) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    using Spawn = LONG(CDECL*)(char* const argv[], int wait);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    auto spawn = reinterpret_cast<Spawn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
    if (!toUnix || !spawn) return false;
    char* unixFrom = toUnix(from.c_str());
    if (!unixFrom) return false;
    std::string source = unixFrom;
    HeapFree(GetProcessHeap(), 0, unixFrom);
    std::string target = source.substr(0, source.rfind('/') + 1) + std::string(toName.begin(), toName.end());
    std::string cp = "/bin/cp";
    char* argv[] = {cp.data(), source.data(), target.data(), nullptr};
    return spawn(argv, 1) == 0;
}

BOOL WINAPI RecordExitWindows(UINT flags, DWORD reason);
UINT g_exitFlags = 0;
DWORD g_exitReason = 99;
int g_exitCalls = 0;
BOOL WINAPI RecordExitWindows(UINT flags, DWORD reason) {
    g_exitFlags = flags;
    g_exitReason = reason;
    ++g_exitCalls;
    return TRUE;
}

}  // namespace

TEST(Manager, FindsDisksByPathWithoutRegardToCaseAndCopiesThemWhole) {
    CVelmoraEXManager manager;
    CVelmoraEXData a = Disk(L"C:\\d\\VelmoraEX1.ini", MODE_MEMORY, L'R', SAVE_AT_LOGOFF);
    a.Vlinks.emplace_back(L"C:\\src", L"\\Vlink\\src", L"C:\\src_Backup");
    a.PendingVlinks.push_back(L"C:\\later");
    a.Status.StartupVisited = 1;
    manager.AddDisk(a);
    manager.AddDisk(Disk(L"C:\\d\\VelmoraEX2.ini"));

    CVelmoraEXData copy = Found(manager, L"c:\\D\\velmoraex1.INI");
    EXPECT_EQ(copy.Status.CurrentLetter, L'R');
    EXPECT_EQ(copy.Status.StartupVisited, 1);
    EXPECT_EQ(copy.Vlinks, a.Vlinks);
    EXPECT_EQ(copy.PendingVlinks, a.PendingVlinks);
    CVelmoraEXData untouched = Disk(L"x");
    EXPECT_EQ(manager.FindDisk(L"C:\\d\\VelmoraEX3.ini", untouched), 0);
    EXPECT_EQ(untouched.Status.SettingsPath, L"x");

    manager.RemoveDisk(L"C:\\D\\VELMORAEX1.INI");
    EXPECT_EQ(manager.Disks().size(), 1u);
    EXPECT_EQ(manager.Disks().front().Status.SettingsPath, L"C:\\d\\VelmoraEX2.ini");
    manager.RemoveDisk(L"C:\\d\\none.ini");
    EXPECT_EQ(manager.Disks().size(), 1u);
    EXPECT_EQ(manager.ClearStatus(L"C:\\d\\none.ini"), 0);
    EXPECT_EQ(manager.SetDiskOperation(L"C:\\d\\none.ini", 3), 0);
    EXPECT_EQ(manager.SetSetting(L"C:\\d\\none.ini", CVelmoraEXSettingData()), 0);
}

TEST(Manager, QuestionsAboutMountedDisksLettersAndBackupFolders) {
    CVelmoraEXManager manager;
    EXPECT_EQ(manager.IsIdle(), 1) << "an empty list is idle";
    manager.AddDisk(Disk(L"C:\\d\\VelmoraEX1.ini", MODE_MEMORY, L'r', SAVE_WRITE_BACK));
    CVelmoraEXData unmounted = Disk(L"C:\\d\\VelmoraEX2.ini", MODE_NOT_MOUNTED, L'S', SAVE_AT_LOGOFF);
    unmounted.Setting.BackupBaseDir = L"D:\\Backup";
    manager.AddDisk(unmounted);
    CVelmoraEXData noBackup = Disk(L"C:\\d\\VelmoraEX3.ini");
    noBackup.Setting.BackupBaseDir = L"D:\\Other";
    manager.AddDisk(noBackup);

    EXPECT_EQ(manager.IsMounted(L"C:\\d\\velmoraex1.ini"), 1);
    EXPECT_EQ(manager.IsMounted(L"C:\\d\\VelmoraEX2.ini"), 0);
    EXPECT_EQ(manager.IsMounted(L"C:\\d\\none.ini"), 0);
    EXPECT_EQ(manager.IsLetterInUse(L'R'), 1) << "letters compare without case";
    EXPECT_EQ(manager.IsLetterInUse(L'S'), 0) << "only mounted disks hold their letter";
    EXPECT_EQ(manager.IsBackupFolderFree(L"C:\\d\\VelmoraEX9.ini", L"d:\\backup"), 0);
    EXPECT_EQ(manager.IsBackupFolderFree(L"C:\\d\\VELMORAEX2.ini", L"D:\\Backup"), 1) << "its own folder";
    EXPECT_EQ(manager.IsBackupFolderFree(L"C:\\d\\VelmoraEX9.ini", L"D:\\Other"), 1) << "a disk without backup";
    EXPECT_EQ(manager.HasWriteBackDisk(), 1);
    EXPECT_EQ(manager.ClearStatus(L"C:\\d\\VelmoraEX1.ini"), 1);
    EXPECT_EQ(manager.HasWriteBackDisk(), 0) << "an unmounted write-back disk does not count";
    EXPECT_EQ(manager.IsLetterInUse(L'R'), 0);

    EXPECT_EQ(manager.SetDiskOperation(L"C:\\d\\VelmoraEX2.ini", 7), 1);
    EXPECT_EQ(manager.IsIdle(), 0);
    manager.SetDiskOperation(L"C:\\d\\VelmoraEX2.ini", kDiskOperationIdle);
    EXPECT_EQ(manager.IsIdle(), 1);
}

TEST(Manager, StatusFromRepliesSettingsLinksAndCaches) {
    CVelmoraEXManager manager;
    const std::wstring path = L"C:\\d\\VelmoraEX1.ini";
    manager.AddDisk(Disk(path));
    manager.AddDisk(Disk(L"C:\\d\\VelmoraEX2.ini"));

    RamDiskStatus reply{};
    reply.driveLetter = L'T';
    reply.imageMode = 1;
    reply.sizeFigure1 = 10;
    reply.sizeFigure2 = 20;
    EXPECT_EQ(manager.SetStatusFromReply(path, reply), 1);
    CVelmoraEXData disk = Found(manager, path);
    EXPECT_EQ(disk.Status.CurrentLetter, L'T');
    EXPECT_EQ(disk.Status.Mode, MODE_IMAGE);
    EXPECT_EQ(disk.Status.DriverValue1, 10u);
    EXPECT_EQ(disk.Status.DriverValue2, 20u);
    RamDiskStatus failed = reply;
    failed.error = 0x1000;
    failed.driveLetter = L'U';
    EXPECT_EQ(manager.SetStatusFromReply(path, failed), 0);
    EXPECT_EQ(Found(manager, path).Status.CurrentLetter, L'T') << "an error reply changes nothing";
    reply.imageMode = 0;
    manager.SetStatusFromReply(path, reply);
    EXPECT_EQ(Found(manager, path).Status.Mode, MODE_MEMORY);
    EXPECT_EQ(manager.ClearStatus(path), 1);
    disk = Found(manager, path);
    EXPECT_EQ(disk.Status.CurrentLetter, 0);
    EXPECT_EQ(disk.Status.Mode, 0);
    EXPECT_EQ(disk.Status.DriverValue1 + disk.Status.DriverValue2, 0u);

    CVelmoraEXSettingData setting;
    setting.LoadAtStartup = 1;
    setting.DriveLetter = kDriveLetterAutomatic;
    setting.DriveSize = 0x2000000;
    setting.BackupBaseDir = L"E:\\b";
    setting.SaveType = 3;
    setting.LoadType = 2;
    setting.FormatType = FORMAT_TYPE_FAT_AUTO;
    setting.MemType = 4;
    setting.CacheSetting.IEHistory = 1;
    setting.CacheSetting.ChromeCache = 1;
    EXPECT_EQ(manager.SetSetting(L"c:\\d\\velmoraex2.ini", setting), 1);
    const CVelmoraEXSettingData& stored = Found(manager, L"C:\\d\\VelmoraEX2.ini").Setting;
    EXPECT_EQ(stored.LoadAtStartup, 1);
    EXPECT_EQ(stored.DriveLetter, kDriveLetterAutomatic);
    EXPECT_EQ(stored.DriveSize, 0x2000000u);
    EXPECT_EQ(stored.BackupBaseDir, L"E:\\b");
    EXPECT_EQ(stored.SaveType, 3);
    EXPECT_EQ(stored.LoadType, 2);
    EXPECT_EQ(stored.FormatType, FORMAT_TYPE_FAT_AUTO);
    EXPECT_EQ(stored.MemType, 4);
    EXPECT_EQ(stored.CacheSetting.IEHistory, 1);
    EXPECT_EQ(stored.CacheSetting.ChromeCache, 1);

    std::wstring found;
    EXPECT_EQ(manager.FindIECacheDisk(found), 0);
    EXPECT_EQ(manager.FindIEHistoryDisk(found), 1);
    EXPECT_EQ(found, L"C:\\d\\VelmoraEX2.ini");
    EXPECT_EQ(manager.FindChromeCacheDisk(found), 1);
    EXPECT_EQ(manager.FindFirefoxCacheDisk(found), 0);

    std::vector<CVelmoraEXVlinkData> one{{L"a", L"b", L"c"}}, two{{L"d", L"e", L"f"}, {L"g", L"h", L"i"}};
    EXPECT_EQ(manager.SetVlinks(L"C:\\d\\VelmoraEX2.ini", two), 1);
    EXPECT_EQ(manager.SetVlinks(path, one), 1);
    EXPECT_EQ(manager.SetPendingVlinks(L"C:\\d\\VelmoraEX2.ini", {L"p2"}), 1);
    EXPECT_EQ(manager.SetPendingVlinks(path, {L"p1"}), 1);
    std::vector<CVelmoraEXVlinkData> all{{L"stale", L"", L""}};
    manager.GetAllVlinks(all);
    EXPECT_EQ(all, (std::vector<CVelmoraEXVlinkData>{one[0], two[0], two[1]})) << "disk by disk in list order";
    std::vector<std::wstring> pending{L"stale"};
    manager.GetAllPendingVlinks(pending);
    EXPECT_EQ(pending, (std::vector<std::wstring>{L"p1", L"p2"}));

    manager.MarkStartupVisited(path);
    EXPECT_EQ(Found(manager, path).Status.StartupVisited, 1);
}

TEST(Manager, NewDiskGetsTheNewDiskSettingsAndTheFirstFreeNumber) {
    DataFolderFiles data;
    CVelmoraEXManager manager;
    CVelmoraEXData disk = Disk(L"stale");
    disk.Vlinks.emplace_back(L"a", L"b", L"c");
    manager.InitNewDisk(disk);
    EXPECT_EQ(disk.Setting.MemType, 1);
    EXPECT_EQ(disk.Setting.DriveSize, 0x8000000u);
    EXPECT_EQ(disk.Setting.FormatType, 4);
    EXPECT_EQ(disk.Setting.DriveLetter, 255);
    EXPECT_EQ(disk.Setting.LoadAtStartup, 1);
    EXPECT_EQ(disk.Setting.SaveType, 1);
    EXPECT_EQ(disk.Setting.LoadType, 0);
    EXPECT_TRUE(disk.Vlinks.empty()) << "reset to a new element first";
    EXPECT_EQ(disk.Status.DiskOperation, 0);
    std::wstring settings, backup;
    USettingsPaths::GetNewSettingsPaths(settings, backup);
    EXPECT_EQ(disk.Status.SettingsPath, settings);
    EXPECT_EQ(disk.Setting.BackupBaseDir, backup);
    EXPECT_EQ(disk.Status.SettingsPath.rfind(GetDataFolder(), 0), 0u);
    EXPECT_TRUE(manager.Disks().empty()) << "not added";
}

TEST(Manager, RestartGoesThroughTheRestartSequence) {
    auto previous = USystemRestart::SetExitWindowsFunction(RecordExitWindows);
    g_exitCalls = 0;
    CVelmoraEXManager manager;
    manager.RestartWindows();
    USystemRestart::SetExitWindowsFunction(previous);
    EXPECT_EQ(g_exitCalls, 1);
    EXPECT_EQ(g_exitFlags, static_cast<UINT>(EWX_REBOOT));
    EXPECT_EQ(g_exitReason, 0u);
}

TEST(Manager, OptionsLoadWithDefaultsAndSaveOnlyWhenWritten) {
    const std::wstring file = USettingsPaths::GetOptionFile();
    EnsureDataFolder();
    const bool existed = Exists(file);
    const std::vector<char> saved = ScratchFolder::Read(file);

    DeleteFileW(file.c_str());
    CVelmoraEXManager manager;
    manager.LoadOptions();
    EXPECT_EQ(manager.GetOptions().TaskTray, 1);
    EXPECT_EQ(manager.GetOptions().Indicator, 1);

    CVelmoraEXOptionData options;
    options.TaskTray = 0;
    options.Indicator = 1;
    EXPECT_EQ(manager.SaveOptions(options), 1);
    EXPECT_EQ(manager.GetOptions().TaskTray, 0);
    CVelmoraEXManager fresh;
    fresh.LoadOptions();
    EXPECT_EQ(fresh.GetOptions().TaskTray, 0);
    EXPECT_EQ(fresh.GetOptions().Indicator, 1);

    // A folder in the file's place: writing fails.
    ASSERT_TRUE(DeleteFileW(file.c_str()));
    ASSERT_TRUE(CreateDirectoryW(file.c_str(), nullptr));
    options.TaskTray = 1;
    options.Indicator = 0;
    EXPECT_EQ(manager.SaveOptions(options), 0);
    EXPECT_EQ(manager.GetOptions().TaskTray, 0) << "a failed save changes nothing";
    EXPECT_EQ(manager.GetOptions().Indicator, 1);
    manager.LoadOptions();
    EXPECT_EQ(manager.GetOptions().TaskTray, 1) << "an unreadable file leaves the defaults";

    RemoveDirectoryW(file.c_str());
    if (existed) ScratchFolder::Write(file, saved);
}

TEST(ManagerLoad, LoadsUsableFilesOnceDeletesUnusableOnesAndKeepsEmptySections) {
    DataFolderFiles data;
    RegistrationGuard registration;
    const std::wstring usable = data.Path(L"VelmoraEX7301.ini");
    const std::wstring noSize = data.Path(L"VelmoraEX7302.ini");
    const std::wstring noLetter = data.Path(L"velmoraex7303.INI");
    const std::wstring empty = data.Path(L"VelmoraEX7304.ini");
    const std::wstring other = data.Path(L"VelmoraEX7305.txt");
    const std::wstring folder = data.Folder(L"VelmoraEX7306.ini");
    ASSERT_TRUE(WriteIni(usable, RamDiskIni(L"16777216", L"自動", 2, L"D:\\B") +
                                     L"[Vlink]\r\nsrc0=C:\\s\r\ndst0=\\Vlink\\s\r\nbackup0=C:\\s_Backup\r\n"
                                     L"[RVlink]\r\nsrc0=C:\\later\r\n"));
    ASSERT_TRUE(WriteIni(noSize, RamDiskIni(L"0", L"R")));
    ASSERT_TRUE(WriteIni(noLetter, L"[RamDisk]\r\nDriveSize=1048576\r\n"));
    ASSERT_TRUE(WriteIni(empty, L"[RamDisk]\r\n[Setting]\r\nCPUIdle=10\r\n"));
    ASSERT_TRUE(WriteIni(other, RamDiskIni(L"1048576", L"R")));
    registration.Watch(usable);
    std::wstring upper = usable;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    ASSERT_FALSE(ULoadSettings::RegisterAtStartup(upper));
    registration.Watch(upper);

    CVelmoraEXManager manager;
    manager.LoadDisks();
    manager.LoadDisks();
    EXPECT_EQ(CountPath(manager, usable), 1) << "loaded once, however often";
    CVelmoraEXData disk = Found(manager, usable);
    EXPECT_EQ(disk.Status.DiskOperation, kDiskOperationIdle);
    EXPECT_EQ(disk.Setting.DriveSize, 16777216u);
    EXPECT_EQ(disk.Setting.DriveLetter, kDriveLetterAutomatic);
    EXPECT_EQ(disk.Setting.SaveType, 2);
    EXPECT_EQ(disk.Setting.LoadAtStartup, 1) << "registered under another case";
    ASSERT_EQ(disk.Vlinks.size(), 1u);
    EXPECT_EQ(disk.Vlinks[0].backup, L"C:\\s_Backup");
    EXPECT_EQ(disk.PendingVlinks, std::vector<std::wstring>{L"C:\\later"});

    EXPECT_FALSE(Exists(noSize)) << "DriveSize 0: deleted";
    EXPECT_FALSE(Exists(noLetter)) << "no DriveLetter: deleted";
    EXPECT_EQ(CountPath(manager, noSize) + CountPath(manager, noLetter), 0);
    EXPECT_TRUE(Exists(empty)) << "an empty [RamDisk] is ignored and kept";
    EXPECT_EQ(CountPath(manager, empty), 0);
    EXPECT_TRUE(Exists(other));
    EXPECT_EQ(CountPath(manager, other) + CountPath(manager, folder), 0);
}

TEST(ManagerLoad, TwoFilesWhoseNamesDifferOnlyInCaseAreOneDisk) {
    DataFolderFiles data;
    const std::wstring first = data.Path(L"VelmoraEX7307.ini");
    ASSERT_TRUE(WriteIni(first, RamDiskIni(L"1048576", L"R")));
    if (!CopyUnderCaseVariant(first, L"VELMORAEX7307.INI")) GTEST_SKIP() << "no way to make a case variant here";
    data.Path(L"VELMORAEX7307.INI");
    int seen = 0;
    WIN32_FIND_DATAW found;
    CFindHandle search;
    ASSERT_TRUE(search.First(JoinPath(GetDataFolder(), L"*7307*").c_str(), found));
    do ++seen;
    while (search.Next(found));
    ASSERT_EQ(seen, 2) << "both names are listed";

    CVelmoraEXManager manager;
    manager.LoadDisks();
    EXPECT_EQ(CountPath(manager, first), 1);
    // Remove the variant from the Linux side's view too: both names delete through Windows.
    DeleteFileW(first.c_str());
    DeleteFileW(first.c_str());
}

TEST(ManagerStatus, RefreshTakesEachDisksReplyOrClearsIt) {
    const std::wstring mounted = L"C:\\d\\VelmoraEX1.ini", gone = L"C:\\d\\VelmoraEX2.ini";
    FakeDriver driver([&](const SeenRequest& r) {
        return r.DiskId() == mounted ? StatusReply(0, 0, L'R', 1, 7, 8) : StatusReply(0, 0x3000, 0);
    });
    CVelmoraEXManager manager;
    manager.RefreshStatus();
    EXPECT_TRUE(driver.Requests().empty()) << "an empty list asks nothing";
    manager.AddDisk(Disk(mounted));
    manager.AddDisk(Disk(gone, MODE_MEMORY, L'S'));
    manager.RefreshStatus();
    CVelmoraEXData a = Found(manager, mounted), b = Found(manager, gone);
    EXPECT_EQ(a.Status.CurrentLetter, L'R');
    EXPECT_EQ(a.Status.Mode, MODE_IMAGE);
    EXPECT_EQ(a.Status.DriverValue1, 7u);
    EXPECT_EQ(a.Status.DriverValue2, 8u);
    EXPECT_EQ(b.Status.CurrentLetter, 0);
    EXPECT_EQ(b.Status.Mode, MODE_NOT_MOUNTED);
    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].DiskId(), mounted);
    EXPECT_EQ(requests[1].DiskId(), gone);
}

TEST(ManagerStatus, AbsentDriverLeavesEveryStatusWithinAboutASecond) {
    AbsentDriver absent;
    CVelmoraEXManager manager;
    manager.AddDisk(Disk(L"C:\\d\\VelmoraEX1.ini", MODE_MEMORY, L'R'));
    DWORD start = GetTickCount();
    manager.RefreshStatus();
    EXPECT_LT(GetTickCount() - start, 2500u);
    CVelmoraEXData disk = Found(manager, L"C:\\d\\VelmoraEX1.ini");
    EXPECT_EQ(disk.Status.Mode, MODE_MEMORY);
    EXPECT_EQ(disk.Status.CurrentLetter, L'R');
}

TEST(ManagerPendingDeletion, MountedDiskSurvivesOthersAreCleanedUp) {
    DataFolderFiles data;
    ScratchFolder scratch;
    const std::wstring stillMounted = data.Path(L"VelmoraEX7311.del");
    const std::wstring done = data.Path(L"VelmoraEX7312.del");
    const std::wstring donePending = data.Path(L"VelmoraEX7312.bak");
    const std::wstring noSection = data.Path(L"VelmoraEX7313.del");
    const std::wstring backup = scratch / L"Backup";
    ASSERT_TRUE(ScratchFolder::MakeFolder(backup));
    ASSERT_TRUE(ScratchFolder::Write(backup + L"\\VelmoraEX0.dat", std::vector<char>(8, 'i')));
    ASSERT_TRUE(WriteIni(stillMounted, RamDiskIni(L"1048576", L"R")));
    ASSERT_TRUE(WriteIni(done, RamDiskIni(L"1048576", L"S", 1, backup)));
    ASSERT_TRUE(WriteIni(donePending, RamDiskIni(L"2097152", L"S")));
    ASSERT_TRUE(WriteIni(noSection, L"[Setting]\r\nCPUIdle=10\r\n"));
    const std::wstring mountedIni = USettingsPaths::GetSettingsPathOf(stillMounted);
    FakeDriver driver([&](const SeenRequest& r) {
        return USettingsRules::EqualNoCase(r.DiskId(), mountedIni) ? StatusReply(0, 0, L'R')
                                                                   : StatusReply(0, 0x3000, 0);
    });

    CVelmoraEXManager manager;
    manager.ProcessPendingDeletions();
    EXPECT_TRUE(Exists(stillMounted)) << "the driver still has the disk";
    EXPECT_FALSE(Exists(done));
    EXPECT_FALSE(Exists(donePending));
    EXPECT_FALSE(Exists(backup + L"\\VelmoraEX0.dat"));
    EXPECT_TRUE(Exists(noSection)) << "no [RamDisk]: left alone";
    bool askedWithIni = false;
    for (const SeenRequest& r : driver.Requests()) {
        EXPECT_EQ(r.request.controlCode, static_cast<uint32_t>(IOCTL_RAMDISK_QUERY));
        askedWithIni = askedWithIni || USettingsRules::EqualNoCase(r.DiskId(), mountedIni);
    }
    EXPECT_TRUE(askedWithIni) << "the driver is asked with the \".ini\" path";
}

TEST(ManagerPendingDeletion, AbsentDriverCountsAsNotMounted) {
    DataFolderFiles data;
    const std::wstring del = data.Path(L"VelmoraEX7314.del");
    ASSERT_TRUE(WriteIni(del, RamDiskIni(L"1048576", L"R")));
    AbsentDriver absent;
    CVelmoraEXManager manager;
    manager.ProcessPendingDeletions();
    EXPECT_FALSE(Exists(del));
}

TEST(ManagerSave, DisksToSaveSkipDeletedOnesAndPendingChangesThatObsoleteTheContents) {
    ScratchFolder scratch;
    CVelmoraEXManager manager;
    auto add = [&](const wchar_t* name, int32_t mode, int32_t saveType) {
        CVelmoraEXData disk = Disk(scratch / name, mode, mode ? L'R' : 0, saveType);
        disk.Setting.DriveSize = 16777216;
        disk.Setting.DriveLetter = 'R';
        disk.Setting.BackupBaseDir = L"D:\\B";
        manager.AddDisk(disk);
        return disk.Status.SettingsPath;
    };
    std::vector<std::wstring> paths{L"stale"};
    EXPECT_EQ(manager.GetDisksToSave(paths), 0);
    EXPECT_TRUE(paths.empty());
    EXPECT_EQ(manager.HasDisksToSave(), 0);

    const std::wstring plain = add(L"VelmoraEX1.ini", MODE_MEMORY, SAVE_AT_LOGOFF);
    const std::wstring letterOnly = add(L"VelmoraEX2.ini", MODE_IMAGE, SAVE_WRITE_BACK);
    add(L"VelmoraEX3.ini", MODE_MEMORY, SAVE_AT_LOGOFF);  // its .bak changes the size
    add(L"VelmoraEX4.ini", MODE_MEMORY, SAVE_AT_LOGOFF);  // being deleted
    add(L"VelmoraEX5.ini", MODE_NOT_MOUNTED, SAVE_AT_LOGOFF);
    add(L"VelmoraEX6.ini", MODE_MEMORY, SAVE_NONE);
    add(L"VelmoraEX7.ini", MODE_MEMORY, SAVE_WRITE_THROUGH);  // its .bak changes the format
    ASSERT_TRUE(WriteIni(scratch / L"VelmoraEX2.bak", RamDiskIni(L"16777216", L"T", 2, L"D:\\B")));
    ASSERT_TRUE(WriteIni(scratch / L"VelmoraEX3.bak", RamDiskIni(L"33554432", L"R", 1, L"D:\\B")));
    ASSERT_TRUE(WriteIni(scratch / L"VelmoraEX4.del", RamDiskIni(L"16777216", L"R", 1, L"D:\\B")));
    std::wstring fat = RamDiskIni(L"16777216", L"R", 3, L"D:\\B");
    fat.replace(fat.find(L"FormatType=4"), 12, L"FormatType=131072");
    ASSERT_TRUE(WriteIni(scratch / L"VelmoraEX7.bak", fat));

    EXPECT_EQ(manager.GetDisksToSave(paths), 1);
    EXPECT_EQ(paths, (std::vector<std::wstring>{plain, letterOnly}));
    EXPECT_EQ(manager.HasDisksToSave(), 1);
}

TEST(ManagerSave, PendingSettingsGoToTheBakFileOnly) {
    ScratchFolder scratch;
    RegistrationGuard registration;
    const std::wstring settings = scratch / L"VelmoraEX0.ini";
    const std::wstring pending = scratch / L"VelmoraEX0.bak";
    registration.Watch(settings);
    ASSERT_TRUE(
        WriteIni(settings, RamDiskIni(L"16777216", L"R") +
                               L"[Setting]\r\nCPUIdle=0\r\n[Vlink]\r\nsrc0=C:\\s\r\ndst0=\\V\\s\r\nbackup0=C:\\b\r\n"));
    const std::vector<char> before = ScratchFolder::Read(settings);

    CVelmoraEXPropertyData change;
    change.SettingsPath = settings;
    USettingsFile::ReadRamDisk(settings, change.OldSetting);
    change.OldSetting.CacheSetting.IECache = 1;
    change.OldSetting.CacheSetting.ChromeCache = 1;
    change.OldSetting.CacheSetting.FirefoxCache = 0;
    change.NewSetting = change.OldSetting;
    change.NewSetting.DriveSize = 33554432;
    change.NewSetting.LoadAtStartup = 1;
    change.NewSetting.CacheSetting.IECache = 0;       // switched off, flag set: listed
    change.NewSetting.CacheSetting.ChromeCache = 0;   // switched off, flag left clear: not listed
    change.NewSetting.CacheSetting.FirefoxCache = 1;  // switched on: not listed
    change.ComputeChanges(1);
    change.ChangeFlags &= ~static_cast<uint32_t>(CHANGE_CHROME_CACHE);

    CVelmoraEXManager manager;
    manager.SavePendingSettings(change);
    EXPECT_EQ(ScratchFolder::Read(settings), before) << "the settings in effect stay";
    CVelmoraEXSettingData written;
    USettingsFile::ReadRamDisk(pending, written);
    EXPECT_EQ(written.DriveSize, 33554432u);
    std::vector<CVelmoraEXVlinkData> links;
    USettingsFile::ReadVlink(pending, links);
    EXPECT_EQ(links.size(), 1u) << "the .bak starts as a copy of the settings file";
    std::vector<std::wstring> deletions;
    USettingsFile::ReadDeletePath(pending, deletions);
    EXPECT_EQ(deletions, std::vector<std::wstring>{L"Temporary Internet Files"});
    EXPECT_TRUE(ULoadSettings::IsRegisteredAtStartup(settings));

    // A second change: the existing .bak is not copied over again.
    ASSERT_TRUE(WriteIni(settings, RamDiskIni(L"16777216", L"R")));
    change.NewSetting.LoadAtStartup = 0;
    change.NewSetting.DriveSize = 67108864;
    manager.SavePendingSettings(change);
    USettingsFile::ReadVlink(pending, links);
    EXPECT_EQ(links.size(), 1u);
    USettingsFile::ReadRamDisk(pending, written);
    EXPECT_EQ(written.DriveSize, 67108864u);
    EXPECT_FALSE(ULoadSettings::IsRegisteredAtStartup(settings));

    EXPECT_EQ(manager.DeletePendingSettings(settings), 1);
    EXPECT_FALSE(Exists(pending));
    EXPECT_EQ(manager.DeletePendingSettings(settings), 1) << "none there";

    // A settings file in a folder that does not exist: nothing is written, nothing thrown.
    change.SettingsPath = scratch / L"missing\\VelmoraEX0.ini";
    manager.SavePendingSettings(change);
    EXPECT_FALSE(Exists(scratch / L"missing"));
}
