#include <gtest/gtest.h>

#include "utility/core/VelmoraEXData.h"
#include "utility/core/VelmoraEXOptionData.h"
#include "utility/core/VelmoraEXPropertyData.h"
#include "utility/core/VelmoraIEDeleteSettingData.h"

namespace {

CVelmoraEXSettingData MountedDiskSettings() {
    CVelmoraEXSettingData s;
    s.LoadAtStartup = 1;
    s.DriveLetter = 'R';
    s.DriveSize = 0x8000000;
    s.BackupBaseDir = L"C:\\ProgramData\\Norvane\\VelmoraEX\\Backup0";
    s.SaveType = SAVE_NONE;
    s.LoadType = LOAD_NORMAL;
    s.FormatType = FORMAT_TYPE_NTFS;
    s.MemType = 1;
    return s;
}

// A property pair whose new settings start equal to the old ones; the test changes the new ones.
struct Change {
    CVelmoraEXPropertyData data;
    explicit Change(CVelmoraEXSettingData old = MountedDiskSettings()) {
        data.OldSetting = old;
        data.NewSetting = old;
        data.ChangeFlags = 0xFFFFFFFFu;  // stale flags must not survive
        data.NeedsRemount = 7;
    }
    CVelmoraEXSettingData& next() { return data.NewSetting; }
    uint32_t flags(int mounted) {
        data.ComputeChanges(mounted);
        return data.ChangeFlags;
    }
};

TEST(SettingsModelDefaults, NewObjectsAreEmpty) {
    CVelmoraEXData disk;
    EXPECT_EQ(disk.Status.CurrentLetter, 0);
    EXPECT_TRUE(disk.Status.SettingsPath.empty());
    EXPECT_EQ(disk.Status.DiskOperation, 0);
    EXPECT_EQ(disk.Status.Mode, 0);
    EXPECT_EQ(disk.Status.DriverValue1, 0u);
    EXPECT_EQ(disk.Status.DriverValue2, 0u);
    EXPECT_EQ(disk.Status.StartupVisited, 0);
    const CVelmoraEXSettingData& s = disk.Setting;
    EXPECT_EQ(s.LoadAtStartup, 0);
    EXPECT_EQ(s.DriveLetter, 0);
    EXPECT_EQ(s.DriveSize, 0u);
    EXPECT_TRUE(s.BackupBaseDir.empty());
    EXPECT_EQ(s.SaveType, 0);
    EXPECT_EQ(s.LoadType, 0);
    EXPECT_EQ(s.FormatType, 0);
    EXPECT_EQ(s.MemType, 0);
    EXPECT_EQ(
        s.CacheSetting.IECache + s.CacheSetting.IEHistory + s.CacheSetting.FirefoxCache + s.CacheSetting.ChromeCache,
        0);
    EXPECT_TRUE(disk.Vlinks.empty());
    EXPECT_TRUE(disk.PendingVlinks.empty());

    CVelmoraEXPropertyData property;
    EXPECT_EQ(property.IsNew, 0);
    EXPECT_EQ(property.NeedsRemount, 0);
    EXPECT_EQ(property.FromSheet, 0);
    EXPECT_EQ(property.ChangeFlags, 0u);
    EXPECT_EQ(property.PromotePending, 0);
    EXPECT_TRUE(property.SettingsPath.empty());
    EXPECT_TRUE(property.PendingPath.empty());

    CVelmoraEXOptionData options;
    EXPECT_EQ(options.TaskTray, 0);
    EXPECT_EQ(options.Indicator, 0);
    CVelmoraIEDeleteSettingData ie;
    EXPECT_EQ(ie.Cache + ie.Cookie + ie.History + ie.TypedUrls, 0);
}

TEST(SettingsModelCopy, DiskCopyIsDeepAndComplete) {
    CVelmoraEXData disk;
    disk.Status.CurrentLetter = L'R';
    disk.Status.SettingsPath = L"C:\\data\\VelmoraEX0.ini";
    disk.Status.DiskOperation = 9;
    disk.Status.Mode = MODE_IMAGE;
    disk.Status.DriverValue1 = 0x123456789ull;
    disk.Status.DriverValue2 = 0xFEDCBA987ull;
    disk.Status.StartupVisited = 1;
    disk.Setting = MountedDiskSettings();
    disk.Setting.CacheSetting.ChromeCache = 1;
    disk.Vlinks.emplace_back(L"C:\\src", L"R:\\dst", L"C:\\src_Backup");
    disk.PendingVlinks.push_back(L"C:\\later");

    CVelmoraEXData copy(disk);
    EXPECT_EQ(copy.Status.CurrentLetter, L'R');
    EXPECT_EQ(copy.Status.SettingsPath, disk.Status.SettingsPath);
    EXPECT_EQ(copy.Status.DiskOperation, 9);
    EXPECT_EQ(copy.Status.Mode, MODE_IMAGE);
    EXPECT_EQ(copy.Status.DriverValue1, 0x123456789ull);
    EXPECT_EQ(copy.Status.DriverValue2, 0xFEDCBA987ull);
    EXPECT_EQ(copy.Status.StartupVisited, 1);
    EXPECT_EQ(copy.Setting.BackupBaseDir, disk.Setting.BackupBaseDir);
    EXPECT_EQ(copy.Setting.DriveSize, disk.Setting.DriveSize);
    EXPECT_EQ(copy.Setting.CacheSetting.ChromeCache, 1);
    ASSERT_EQ(copy.Vlinks.size(), 1u);
    EXPECT_EQ(copy.Vlinks[0], disk.Vlinks[0]);
    EXPECT_EQ(copy.PendingVlinks, disk.PendingVlinks);

    // Changing the copy leaves the original alone, and assignment copies the same way.
    copy.Vlinks[0].dst = L"S:\\other";
    copy.PendingVlinks.clear();
    copy.Setting.BackupBaseDir += L"x";
    EXPECT_EQ(disk.Vlinks[0].dst, L"R:\\dst");
    EXPECT_EQ(disk.PendingVlinks.size(), 1u);
    CVelmoraEXData assigned;
    assigned = disk;
    EXPECT_EQ(assigned.Vlinks, disk.Vlinks);
    EXPECT_EQ(assigned.Status.DriverValue2, disk.Status.DriverValue2);
}

TEST(SettingsModelCache, FolderNamesFollowFieldOrderAndAppend) {
    CVelmoraEXCacheSettingData cache;
    std::vector<std::wstring> names{L"kept"};
    cache.GetFolderNames(names);
    EXPECT_EQ(names, std::vector<std::wstring>{L"kept"});

    cache.ChromeCache = 1;
    cache.IECache = 1;
    cache.FirefoxCache = 1;
    cache.GetFolderNames(names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"kept", L"Temporary Internet Files", L"Cache", L"Chrome Cache"}));

    CVelmoraEXCacheSettingData history;
    history.IEHistory = 1;
    history.IECache = 2;  // only 1 counts as on
    std::vector<std::wstring> only;
    history.GetFolderNames(only);
    EXPECT_EQ(only, std::vector<std::wstring>{L"History"});
}

TEST(ComputeChanges, NoChangeClearsStaleFlags) {
    Change c;
    EXPECT_EQ(c.flags(1), 0u);
    EXPECT_EQ(c.data.NeedsRemount, 0);
    EXPECT_EQ(c.data.IsBackupOnlySwitchedOn(), 0);
}

TEST(ComputeChanges, BackupSwitchedOnForMountedDiskKeepsContents) {
    Change c;
    c.next().SaveType = SAVE_AT_LOGOFF;
    EXPECT_EQ(c.flags(1), static_cast<uint32_t>(CHANGE_BACKUP_ONLY_ON));
    EXPECT_EQ(c.data.IsBackupOnlySwitchedOn(), 1);
    EXPECT_EQ(c.data.NeedsRemount, 1);

    // With a new size as well the disk is re-created.
    c.next().DriveSize = 0x10000000;
    EXPECT_EQ(c.flags(1), static_cast<uint32_t>(CHANGE_DRIVE_SIZE | CHANGE_BACKUP_ON));
    EXPECT_EQ(c.data.IsBackupOnlySwitchedOn(), 0);

    // So with a new file system.
    Change f;
    f.next().SaveType = SAVE_WRITE_BACK;
    f.next().FormatType = FORMAT_TYPE_FAT_AUTO;
    EXPECT_EQ(f.flags(1), static_cast<uint32_t>(CHANGE_FORMAT_TYPE | CHANGE_BACKUP_ON));

    // A letter change does not force re-creation.
    Change l;
    l.next().SaveType = SAVE_AT_LOGOFF;
    l.next().DriveLetter = 'S';
    EXPECT_EQ(l.flags(1), static_cast<uint32_t>(CHANGE_DRIVE_LETTER | CHANGE_BACKUP_ONLY_ON));
    EXPECT_EQ(l.data.IsBackupOnlySwitchedOn(), 1);
}

TEST(ComputeChanges, BackupSwitchedOnForUnmountedDisk) {
    Change c;
    c.next().SaveType = SAVE_WRITE_THROUGH;
    EXPECT_EQ(c.flags(0), static_cast<uint32_t>(CHANGE_BACKUP_ON));
    EXPECT_EQ(c.data.NeedsRemount, 0);
    EXPECT_EQ(c.data.IsBackupOnlySwitchedOn(), 0);
}

TEST(ComputeChanges, BackupOffAndKindChange) {
    CVelmoraEXSettingData withBackup = MountedDiskSettings();
    withBackup.SaveType = SAVE_AT_LOGOFF;
    Change off(withBackup);
    off.next().SaveType = SAVE_NONE;
    EXPECT_EQ(off.flags(1), static_cast<uint32_t>(CHANGE_BACKUP_OFF));
    EXPECT_EQ(off.data.NeedsRemount, 1);

    Change kind(withBackup);
    kind.next().SaveType = SAVE_WRITE_BACK;
    EXPECT_EQ(kind.flags(1), static_cast<uint32_t>(CHANGE_BACKUP_KIND));
    EXPECT_EQ(kind.data.NeedsRemount, 1);
    EXPECT_EQ(kind.flags(0), static_cast<uint32_t>(CHANGE_BACKUP_KIND));
    EXPECT_EQ(kind.data.NeedsRemount, 0);
}

TEST(ComputeChanges, BackupFolderChange) {
    // Without backup only the registration-level flag is set, and nothing is remounted.
    Change none;
    none.next().BackupBaseDir = L"D:\\elsewhere";
    EXPECT_EQ(none.flags(1), static_cast<uint32_t>(CHANGE_LOAD_AT_STARTUP));
    EXPECT_EQ(none.data.NeedsRemount, 0);

    // With backup kept on it is a folder change; the comparison is case-sensitive.
    CVelmoraEXSettingData withBackup = MountedDiskSettings();
    withBackup.SaveType = SAVE_AT_LOGOFF;
    Change kept(withBackup);
    kept.next().BackupBaseDir = L"C:\\PROGRAMDATA\\Norvane\\VelmoraEX\\Backup0";
    EXPECT_EQ(kept.flags(1), static_cast<uint32_t>(CHANGE_BACKUP_FOLDER));
    EXPECT_EQ(kept.data.NeedsRemount, 1);

    // Switched on together with a new folder for a mounted disk: the contents are kept and
    // saved to the new folder, so no folder flag.
    Change on;
    on.next().SaveType = SAVE_AT_LOGOFF;
    on.next().BackupBaseDir = L"D:\\new";
    EXPECT_EQ(on.flags(1), static_cast<uint32_t>(CHANGE_BACKUP_ONLY_ON));
    // The same for a disk that is not mounted.
    EXPECT_EQ(on.flags(0), static_cast<uint32_t>(CHANGE_BACKUP_ON | CHANGE_BACKUP_FOLDER));

    // Switched off together with a new folder.
    Change off(withBackup);
    off.next().SaveType = SAVE_NONE;
    off.next().BackupBaseDir = L"D:\\new";
    EXPECT_EQ(off.flags(1), static_cast<uint32_t>(CHANGE_BACKUP_OFF | CHANGE_LOAD_AT_STARTUP));
}

TEST(ComputeChanges, DriveLetterNeedsRemountOnlyWhenMounted) {
    Change c;
    c.next().DriveLetter = 'S';
    EXPECT_EQ(c.flags(1), static_cast<uint32_t>(CHANGE_DRIVE_LETTER));
    EXPECT_EQ(c.data.NeedsRemount, 1);
    EXPECT_EQ(c.flags(0), static_cast<uint32_t>(CHANGE_DRIVE_LETTER));
    EXPECT_EQ(c.data.NeedsRemount, 0);

    CVelmoraEXSettingData automatic = MountedDiskSettings();
    automatic.DriveLetter = kDriveLetterAutomatic;
    Change fixed(automatic);
    fixed.next().DriveLetter = 'R';
    EXPECT_EQ(fixed.flags(1), static_cast<uint32_t>(CHANGE_DRIVE_LETTER));
    EXPECT_EQ(fixed.data.NeedsRemount, 1);
}

TEST(ComputeChanges, EachFieldHasItsFlagAndRemountRule) {
    struct Case {
        const char* name;
        void (*apply)(CVelmoraEXSettingData&);
        uint32_t flag;
        int remount;
    };
    const Case cases[] = {
        {"LoadAtStartup", [](CVelmoraEXSettingData& s) { s.LoadAtStartup = 0; }, CHANGE_LOAD_AT_STARTUP, 0},
        {"DriveSize", [](CVelmoraEXSettingData& s) { s.DriveSize += 0x100000; }, CHANGE_DRIVE_SIZE, 1},
        {"MemType", [](CVelmoraEXSettingData& s) { s.MemType = 3; }, CHANGE_MEM_TYPE, 1},
        {"FormatType", [](CVelmoraEXSettingData& s) { s.FormatType = FORMAT_TYPE_FAT_AUTO; }, CHANGE_FORMAT_TYPE, 1},
        {"LoadType", [](CVelmoraEXSettingData& s) { s.LoadType = LOAD_FAST; }, CHANGE_LOAD_TYPE, 0},
        {"IECache", [](CVelmoraEXSettingData& s) { s.CacheSetting.IECache = 1; }, CHANGE_IE_CACHE, 0},
        {"IEHistory", [](CVelmoraEXSettingData& s) { s.CacheSetting.IEHistory = 1; }, CHANGE_IE_HISTORY, 0},
        {"FirefoxCache", [](CVelmoraEXSettingData& s) { s.CacheSetting.FirefoxCache = 1; }, CHANGE_FIREFOX_CACHE, 0},
        {"ChromeCache", [](CVelmoraEXSettingData& s) { s.CacheSetting.ChromeCache = 1; }, CHANGE_CHROME_CACHE, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Change c;
        k.apply(c.next());
        EXPECT_EQ(c.flags(1), k.flag);
        EXPECT_EQ(c.data.NeedsRemount, k.remount);
        EXPECT_EQ(c.flags(0), k.flag);
        EXPECT_EQ(c.data.NeedsRemount, 0);
    }

    // Fields that never need a remount stay that way together.
    Change quiet;
    quiet.next().LoadAtStartup = 0;
    quiet.next().LoadType = LOAD_FAST;
    quiet.next().CacheSetting.ChromeCache = 1;
    quiet.next().CacheSetting.IEHistory = 1;
    EXPECT_EQ(quiet.flags(1), static_cast<uint32_t>(CHANGE_LOAD_AT_STARTUP | CHANGE_LOAD_TYPE | CHANGE_CHROME_CACHE |
                                                    CHANGE_IE_HISTORY));
    EXPECT_EQ(quiet.data.NeedsRemount, 0);
}

TEST(ComputeChanges, BackupOnlyTestReadsTheFlags) {
    CVelmoraEXPropertyData p;
    const struct {
        uint32_t flags;
        int32_t expected;
    } cases[] = {
        {CHANGE_BACKUP_ONLY_ON, 1},
        {CHANGE_BACKUP_ONLY_ON | CHANGE_DRIVE_LETTER | CHANGE_MEM_TYPE | CHANGE_IE_CACHE, 1},
        {CHANGE_BACKUP_ONLY_ON | CHANGE_DRIVE_SIZE, 0},
        {CHANGE_BACKUP_ONLY_ON | CHANGE_BACKUP_ON, 0},
        {CHANGE_BACKUP_ONLY_ON | CHANGE_BACKUP_OFF, 0},
        {CHANGE_BACKUP_ONLY_ON | CHANGE_FORMAT_TYPE, 0},
        {CHANGE_BACKUP_ON, 0},
        {0, 0},
    };
    for (const auto& k : cases) {
        p.ChangeFlags = k.flags;
        EXPECT_EQ(p.IsBackupOnlySwitchedOn(), k.expected) << std::hex << k.flags;
    }
}

}  // namespace
