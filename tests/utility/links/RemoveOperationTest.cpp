// The disk-settings clean-up and its items, on real files, the real data folder and the real
// LoadSettings key.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/ScratchFolder.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/TaskTestSupport.h"
#include "utility/disk/DataFolder.h"
#include "utility/links/OperateData.h"
#include "utility/links/RemoveOperation.h"

namespace {

using namespace tasktest;

const uint64_t kPiece = 0x7D000000;

CVelmoraEXSettingData WithBackup(const std::wstring& folder, uint64_t size) {
    CVelmoraEXSettingData s;
    s.SaveType = SAVE_AT_LOGOFF;
    s.BackupBaseDir = folder;
    s.DriveSize = size;
    s.DriveLetter = 'R';
    return s;
}

// Stand-in piece files: the clean-up only deletes them, so their length does not matter.
void MakePieces(const std::wstring& folder, int count) {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < count; ++i)
        ScratchFolder::Write(folder + L"\\VelmoraEX" + std::to_wstring(i) + L".dat", std::vector<char>(10, 'p'));
}

class Cleanup : public ::testing::Test {
protected:
    void SetUp() override {
        settings = scratch / L"VelmoraEX0.ini";
        ASSERT_TRUE(WriteIni(settings, RamDiskIni(L"1048576", L"R", 1, scratch / L"Backup")));
        registration.Watch(settings);
    }
    ScratchFolder scratch;
    std::wstring settings;
    RegistrationGuard registration;
    PendingRenameGuard scheduled;
};

}  // namespace

TEST_F(Cleanup, DeletesSettingsEveryPiecePendingFileAndRegistration) {
    const std::wstring backup = scratch / L"Backup";
    MakePieces(backup, 3);  // a size just over one piece has two: the third is not the disk's
    ASSERT_TRUE(WriteIni(scratch / L"VelmoraEX0.bak", L"[RamDisk]\r\nDriveSize=1\r\n"));
    ASSERT_FALSE(ULoadSettings::RegisterAtStartup(settings));
    int32_t flag = 0;
    EXPECT_EQ(URemoveOperation::RemoveDiskSettings(settings, WithBackup(backup, kPiece + 1), flag), 1);
    EXPECT_EQ(flag, 0);
    EXPECT_FALSE(Exists(settings));
    EXPECT_FALSE(Exists(backup + L"\\VelmoraEX0.dat"));
    EXPECT_FALSE(Exists(backup + L"\\VelmoraEX1.dat"));
    EXPECT_TRUE(Exists(backup + L"\\VelmoraEX2.dat"));
    EXPECT_TRUE(Exists(backup)) << "a backup folder outside the data folder stays";
    EXPECT_FALSE(Exists(scratch / L"VelmoraEX0.bak"));
    EXPECT_FALSE(ULoadSettings::IsRegisteredAtStartup(settings));
    EXPECT_TRUE(scheduled.Added().empty());
}

TEST_F(Cleanup, BackupFolderInsideTheDataFolderGoesToo) {
    DataFolderFiles data;
    const std::wstring backup = data.Folder(L"Backup7391");
    data.Track(backup + L"\\VelmoraEX0.dat");
    MakePieces(backup, 1);
    int32_t flag = 0;
    EXPECT_EQ(URemoveOperation::RemoveDiskSettings(settings, WithBackup(backup, 1048576), flag), 1);
    EXPECT_FALSE(Exists(backup));
    ASSERT_TRUE(Exists(GetDataFolder())) << "never the data folder itself";
}

TEST_F(Cleanup, DiskWithoutBackupKeepsImageFilesInItsFolder) {
    const std::wstring backup = scratch / L"Backup";
    MakePieces(backup, 1);
    CVelmoraEXSettingData setting = WithBackup(backup, 1048576);
    setting.SaveType = SAVE_NONE;
    int32_t flag = 0;
    EXPECT_EQ(URemoveOperation::RemoveDiskSettings(settings, setting, flag), 1);
    EXPECT_FALSE(Exists(settings));
    EXPECT_TRUE(Exists(backup + L"\\VelmoraEX0.dat"));

    // A backup without a folder names no image files: none relative to the current folder.
    auto items = URemoveOperation::BuildItems(settings, WithBackup(L"", 1048576), 0);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items.front().Path, settings);
}

TEST_F(Cleanup, WithFlagZeroAnUndeletableSettingsFileStopsTheRunAndNothingIsScheduled) {
    const std::wstring backup = scratch / L"Backup";
    MakePieces(backup, 1);
    ASSERT_FALSE(ULoadSettings::RegisterAtStartup(settings));
    HeldFile held(settings);
    ASSERT_TRUE(held.IsHeld());
    ASSERT_FALSE(DeleteFileW(settings.c_str())) << "this system lets an open file be deleted";
    int32_t flag = 0;
    EXPECT_EQ(URemoveOperation::RemoveDiskSettings(settings, WithBackup(backup, 1048576), flag), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_TRUE(scheduled.Added().empty());
    EXPECT_TRUE(Exists(backup + L"\\VelmoraEX0.dat")) << "the items after the failure are not run";
    EXPECT_FALSE(ULoadSettings::IsRegisteredAtStartup(settings)) << "the registration goes first";
}

TEST_F(Cleanup, WithFlagOneAnUndeletableFileIsScheduledAndTheRunGoesOn) {
    const std::wstring backup = scratch / L"Backup";
    MakePieces(backup, 1);
    HeldFile held(settings);
    ASSERT_TRUE(held.IsHeld());
    int32_t flag = 1;
    EXPECT_EQ(URemoveOperation::RemoveDiskSettings(settings, WithBackup(backup, 1048576), flag), 1);
    EXPECT_EQ(flag, 1);
    auto added = scheduled.Added();
    ASSERT_EQ(added.size(), 1u);
    EXPECT_NE(added[0].find(L"VelmoraEX0.ini"), std::wstring::npos);
    EXPECT_FALSE(Exists(backup + L"\\VelmoraEX0.dat"));

    // Permission and report apart: scheduling allowed, the report starts at 0.
    held.Release();
    ASSERT_TRUE(WriteIni(settings, L"[RamDisk]\r\nDriveSize=1\r\n"));
    HeldFile again(settings);
    int32_t restart = 0;
    EXPECT_EQ(URemoveOperation::RemoveDiskSettings(settings, CVelmoraEXSettingData(), 1, restart), 1);
    EXPECT_EQ(restart, 1);
}

TEST(OperateData, MissingPathIsDoneAndAFailedDeleteKeepsItsError) {
    ScratchFolder scratch;
    COperateData missing(scratch / L"nothing", 1);
    missing.LastError = 7;
    missing.Scheduled = 1;
    int32_t flag = 0;
    EXPECT_TRUE(missing.Run(flag));
    EXPECT_EQ(missing.LastError, 0u);
    EXPECT_EQ(missing.Scheduled, 0);

    const std::wstring folder = scratch / L"full";
    ASSERT_TRUE(ScratchFolder::MakeFolder(folder));
    ASSERT_TRUE(ScratchFolder::Write(folder + L"\\f", {'x'}));
    COperateData full(folder, 0);
    EXPECT_FALSE(full.Run(flag));
    EXPECT_EQ(full.LastError, static_cast<uint32_t>(ERROR_DIR_NOT_EMPTY));
    EXPECT_EQ(full.Scheduled, 0);
    EXPECT_EQ(flag, 0);

    ASSERT_TRUE(DeleteFileW((folder + L"\\f").c_str()));
    EXPECT_TRUE(full.Run(flag)) << "an empty folder is removed";
    EXPECT_FALSE(Exists(folder));
}
