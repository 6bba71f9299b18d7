// The settings task: backup images made, formatted, moved and deleted; the settings file, the
// pending file and the start-up registration written only when the image work succeeded.
#include <windows.h>

#include <gtest/gtest.h>

#include "TaskTestSupport.h"
#include "framework/ScratchFolder.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/TaskMessages.h"
#include "utility/core/VMUThreadTaskSettingEx.h"
#include "utility/disk/BackupImage.h"

namespace {

using namespace tasktest;

const uint64_t kMiB = 1048576;

uint64_t g_freeBytes = 0;
long ChosenFreeSpace(const std::wstring&, uint64_t& freeBytes) {
    freeBytes = g_freeBytes;
    return 0;
}

class TaskSetting : public ::testing::Test {
protected:
    void SetUp() override {
        settings = scratch / L"VelmoraEX0.ini";
        pending = scratch / L"VelmoraEX0.bak";
        registration.Watch(settings);
    }

    CVelmoraEXSettingData Setting(uint64_t size, int32_t saveType, const std::wstring& backup, int32_t format = 4) {
        CVelmoraEXSettingData s;
        s.DriveSize = size;
        s.DriveLetter = 'R';
        s.SaveType = saveType;
        s.BackupBaseDir = backup;
        s.FormatType = format;
        s.MemType = 1;
        return s;
    }

    std::vector<char> Bytes(const std::wstring& path) { return ScratchFolder::Read(path); }

    ScratchFolder scratch;
    std::wstring settings, pending;
    RegistrationGuard registration;
};

TEST_F(TaskSetting, NewDiskWithBackupGetsAFormattedImageASettingsFileAndARegistration) {
    const std::wstring backup = scratch / L"Backup0";
    CVMUThreadTaskSettingEx task;
    task.Property.IsNew = 1;
    task.Property.SettingsPath = settings;
    task.Property.NewSetting = Setting(8 * kMiB, SAVE_AT_LOGOFF, backup);
    task.Property.NewSetting.LoadAtStartup = 1;
    task.Execute();
    EXPECT_EQ(task.Type, 8);
    EXPECT_EQ(task.Result, 0);
    EXPECT_TRUE(task.Message.empty());

    const std::wstring piece = backup + L"\\VelmoraEX0.dat";
    EXPECT_EQ(ScratchFolder::Size(piece), static_cast<int64_t>(8 * kMiB));
    std::vector<char> boot = ScratchFolder::Read(piece, 0, 512);
    ASSERT_EQ(boot.size(), 512u);
    EXPECT_EQ(std::string(boot.data() + 3, 8), "NTFS    ") << "an NTFS volume was written into the image";
    EXPECT_EQ(static_cast<unsigned char>(boot[510]), 0x55);
    EXPECT_EQ(static_cast<unsigned char>(boot[511]), 0xAA);

    CVelmoraEXSettingData read;
    USettingsFile::ReadRamDisk(settings, read);
    EXPECT_EQ(read.DriveSize, 8 * kMiB);
    EXPECT_EQ(read.BackupBaseDir, backup);
    EXPECT_EQ(read.SaveType, SAVE_AT_LOGOFF);
    EXPECT_TRUE(ULoadSettings::IsRegisteredAtStartup(settings));
}

TEST_F(TaskSetting, NewDiskWithoutBackupMakesNoImageAndIsNotRegistered) {
    const std::wstring backup = scratch / L"Backup0";
    ASSERT_FALSE(ULoadSettings::RegisterAtStartup(settings));
    CVMUThreadTaskSettingEx task;
    task.Property.IsNew = 1;
    task.Property.SettingsPath = settings;
    task.Property.NewSetting = Setting(8 * kMiB, SAVE_NONE, backup);
    task.Execute();
    EXPECT_EQ(task.Result, 0);
    EXPECT_FALSE(Exists(backup));
    EXPECT_TRUE(USettingsFile::HasRamDiskSection(settings));
    EXPECT_FALSE(ULoadSettings::IsRegisteredAtStartup(settings)) << "LoadAtStartup 0 unregisters";
}

TEST_F(TaskSetting, FailedImageCreationLeavesSettingsPendingFileAndRegistrationAlone) {
    const std::wstring oldBackup = scratch / L"Old";
    ASSERT_TRUE(WriteIni(settings, RamDiskIni(L"4194304", L"R", 0)));
    ASSERT_TRUE(WriteIni(pending, RamDiskIni(L"8388608", L"S", 1)));
    ASSERT_FALSE(ULoadSettings::RegisterAtStartup(settings));
    const std::vector<char> settingsBefore = Bytes(settings), pendingBefore = Bytes(pending);

    CVMUThreadTaskSettingEx task;
    task.Property.SettingsPath = settings;
    task.Property.OldSetting = Setting(4 * kMiB, SAVE_NONE, oldBackup);
    task.Property.NewSetting = Setting(8 * kMiB, SAVE_AT_LOGOFF, scratch / L"no\\such\\folder");
    task.Property.NewSetting.LoadAtStartup = 0;
    task.Property.ComputeChanges(0);
    ASSERT_TRUE(task.Property.ChangeFlags & CHANGE_BACKUP_ON);
    task.Property.PromotePending = 1;
    task.Property.PendingPath = pending;
    task.Execute();

    EXPECT_EQ(task.Result, -1);
    std::wstring system = UTaskMessages::SystemText(ERROR_PATH_NOT_FOUND);
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(task.Message, L"バックアップファイルの作成中にエラーが発生しました。\n" + system);
    EXPECT_EQ(Bytes(settings), settingsBefore);
    EXPECT_EQ(Bytes(pending), pendingBefore);
    EXPECT_TRUE(ULoadSettings::IsRegisteredAtStartup(settings));
}

TEST_F(TaskSetting, ShortageGives4002AndWritesNothing) {
    const std::wstring backup = scratch / L"Backup0";
    g_freeBytes = 8 * kMiB - 1;
    UBackupImage::FreeSpaceQuery previous = UBackupImage::SetFreeSpaceQuery(ChosenFreeSpace);
    CVMUThreadTaskSettingEx task;
    task.Property.IsNew = 1;
    task.Property.SettingsPath = settings;
    task.Property.NewSetting = Setting(8 * kMiB, SAVE_AT_LOGOFF, backup);
    task.Property.NewSetting.LoadAtStartup = 1;
    task.Execute();
    UBackupImage::SetFreeSpaceQuery(previous);
    EXPECT_EQ(task.Result, -1);
    EXPECT_EQ(task.Message, L"ドライブの空き容量が不足しているためバックアップファイルが作成できません\n" +
                                std::wstring(1, backup[0]) + L":ドライブの空き容量を増やしてください。");
    EXPECT_FALSE(Exists(settings));
    EXPECT_FALSE(Exists(backup + L"\\VelmoraEX0.dat"));
    EXPECT_FALSE(ULoadSettings::IsRegisteredAtStartup(settings));
}

TEST_F(TaskSetting, FormatterFailureGives4103WithItsValue) {
    const std::wstring backup = scratch / L"Backup0";
    CVMUThreadTaskSettingEx task;
    task.Property.IsNew = 1;
    task.Property.SettingsPath = settings;
    task.Property.NewSetting = Setting(4 * kMiB, SAVE_AT_LOGOFF, backup, 99);  // no such file system
    task.Execute();
    EXPECT_EQ(task.Result, -1);
    EXPECT_EQ(task.Message, L"フォーマットに失敗しました。(1)");
    EXPECT_FALSE(Exists(settings));
}

TEST_F(TaskSetting, SizeChangeReplacesTheOldImageWithANewFormattedOne) {
    const std::wstring oldBackup = scratch / L"Old";
    const std::wstring newBackup = scratch / L"New";
    UBackupImage::CreateImage(oldBackup, 2 * kMiB);
    ASSERT_TRUE(ScratchFolder::Patch(oldBackup + L"\\VelmoraEX0.dat", 0, std::vector<char>(16, 'x')));
    CVMUThreadTaskSettingEx task;
    task.Property.SettingsPath = settings;
    task.Property.OldSetting = Setting(2 * kMiB, SAVE_AT_LOGOFF, oldBackup, FORMAT_TYPE_FAT_AUTO);
    task.Property.NewSetting = Setting(6 * kMiB, SAVE_WRITE_BACK, newBackup, FORMAT_TYPE_FAT_AUTO);
    task.Property.ComputeChanges(0);
    task.Execute();
    EXPECT_EQ(task.Result, 0);
    EXPECT_TRUE(task.Message.empty());
    EXPECT_FALSE(Exists(oldBackup + L"\\VelmoraEX0.dat")) << "the old image is deleted";
    EXPECT_EQ(ScratchFolder::Size(newBackup + L"\\VelmoraEX0.dat"), static_cast<int64_t>(6 * kMiB));
    std::vector<char> boot = ScratchFolder::Read(newBackup + L"\\VelmoraEX0.dat", 0, 512);
    ASSERT_EQ(boot.size(), 512u);
    EXPECT_EQ(std::string(boot.data() + 54, 3), "FAT");
    CVelmoraEXSettingData read;
    USettingsFile::ReadRamDisk(settings, read);
    EXPECT_EQ(read.DriveSize, 6 * kMiB);
    EXPECT_EQ(read.SaveType, SAVE_WRITE_BACK);
}

TEST_F(TaskSetting, BackupFolderChangeMovesTheImage) {
    const std::wstring oldBackup = scratch / L"Old";
    const std::wstring newBackup = scratch / L"New";
    UBackupImage::CreateImage(oldBackup, 2 * kMiB);
    ASSERT_TRUE(ScratchFolder::Patch(oldBackup + L"\\VelmoraEX0.dat", 4096, std::vector<char>(16, 'm')));
    CVMUThreadTaskSettingEx task;
    task.Property.SettingsPath = settings;
    task.Property.OldSetting = Setting(2 * kMiB, SAVE_AT_LOGOFF, oldBackup);
    task.Property.NewSetting = Setting(2 * kMiB, SAVE_AT_LOGOFF, newBackup);
    task.Property.ComputeChanges(1);
    ASSERT_EQ(task.Property.ChangeFlags, static_cast<uint32_t>(CHANGE_BACKUP_FOLDER));
    task.Execute();
    EXPECT_EQ(task.Result, 0);
    EXPECT_FALSE(Exists(oldBackup + L"\\VelmoraEX0.dat"));
    EXPECT_EQ(ScratchFolder::Read(newBackup + L"\\VelmoraEX0.dat", 4096, 16), std::vector<char>(16, 'm'))
        << "the contents moved, not a new image";
}

TEST_F(TaskSetting, FailedMoveGives4119AndLeavesTheSettingsFile) {
    ASSERT_TRUE(ScratchFolder::MakeFolder(scratch / L"Old"));
    ASSERT_TRUE(WriteIni(settings, RamDiskIni(L"2097152", L"R", 1, scratch / L"Old")));
    const std::vector<char> before = Bytes(settings);
    CVMUThreadTaskSettingEx task;
    task.Property.SettingsPath = settings;
    task.Property.OldSetting = Setting(2 * kMiB, SAVE_AT_LOGOFF, scratch / L"Old");  // holds no image
    task.Property.NewSetting = Setting(2 * kMiB, SAVE_AT_LOGOFF, scratch / L"New");
    task.Property.ComputeChanges(0);
    task.Execute();
    EXPECT_EQ(task.Result, -1);
    std::wstring system = UTaskMessages::SystemText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(task.Message, L"バックアップファイルの移動中にエラーが発生しました。\n" + system);
    EXPECT_EQ(Bytes(settings), before);
}

TEST_F(TaskSetting, BackupSwitchedOnForAMountedDiskLeavesTheImageToTheUnmount) {
    const std::wstring newBackup = scratch / L"New";
    CVMUThreadTaskSettingEx task;
    task.Property.SettingsPath = settings;
    task.Property.OldSetting = Setting(2 * kMiB, SAVE_NONE, scratch / L"Old");
    task.Property.NewSetting = Setting(2 * kMiB, SAVE_AT_LOGOFF, newBackup);
    task.Property.ComputeChanges(1);
    ASSERT_TRUE(task.Property.IsBackupOnlySwitchedOn());
    task.Execute();
    EXPECT_EQ(task.Result, 0);
    EXPECT_FALSE(Exists(newBackup)) << "neither made nor moved here";
    CVelmoraEXSettingData read;
    USettingsFile::ReadRamDisk(settings, read);
    EXPECT_EQ(read.BackupBaseDir, newBackup);
}

TEST_F(TaskSetting, PromotedPendingFileReplacesTheSettingsFile) {
    ASSERT_TRUE(WriteIni(settings, RamDiskIni(L"2097152", L"R")));
    ASSERT_TRUE(WriteIni(pending, RamDiskIni(L"4194304", L"T") + L"[DeletePath]\r\nHistory=0\r\n"));
    const std::vector<char> promoted = Bytes(pending);
    CVMUThreadTaskSettingEx task;
    task.Property.SettingsPath = settings;
    task.Property.OldSetting = Setting(2 * kMiB, SAVE_NONE, L"");
    task.Property.NewSetting = Setting(4 * kMiB, SAVE_NONE, L"");
    task.Property.NewSetting.DriveLetter = 'T';
    task.Property.ComputeChanges(0);
    task.Property.PromotePending = 1;
    task.Property.PendingPath = pending;
    task.Execute();
    EXPECT_EQ(task.Result, 0);
    EXPECT_EQ(Bytes(settings), promoted) << "copied as it is, [DeletePath] included";
    EXPECT_FALSE(Exists(pending));

    // A pending file that has gone meanwhile: the new settings are written instead.
    CVMUThreadTaskSettingEx again;
    again.Property = task.Property;
    again.Property.NewSetting.DriveSize = 6 * kMiB;
    again.Execute();
    EXPECT_EQ(again.Result, 0);
    CVelmoraEXSettingData read;
    USettingsFile::ReadRamDisk(settings, read);
    EXPECT_EQ(read.DriveSize, 6 * kMiB);
}

}  // namespace
