// End to end with the real driver stand-in as a child process: the tasks make, mount, write,
// save, remove and mount again a disk through the real command channel.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "TaskTestSupport.h"
#include "framework/ScratchFolder.h"
#include "standin/StandinHarness.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/VMUThreadTaskMountEX.h"
#include "utility/core/VMUThreadTaskSettingEx.h"
#include "utility/core/VMUThreadTaskUnmountEX.h"
#include "utility/core/VelmoraEXManager.h"

namespace {

const uint64_t kMiB = 1048576;

class TaskStandin : public ::testing::Test {
protected:
    void SetUp() override {
        static int instance = 0;
        std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++instance);
        pipeName = L"VelmoraEXTaskStandin-" + tag;
        UDriverPipeFrame::SetPipeName(pipeName.c_str());
        ramDir = StandinRamDir(L"vmx-task-standin-" + tag, scratch / L"ram");
        std::wstring args = L"--pipe-name " + pipeName + L" --ram-dir \"" + ramDir + L"\" --no-startup-disks";
        ASSERT_TRUE(child.Start(args)) << "VelmoraEXStandin.exe next to the test program";
        ASSERT_TRUE(CVelmoraAPI::IsDriverUp(10000));
    }
    void TearDown() override {
        child.End();
        UDriverPipeFrame::SetPipeName(nullptr);
        ScratchFolder::RemoveTree(ramDir);
    }

    CVelmoraEXSettingData Setting(int32_t saveType, const std::wstring& backup) {
        CVelmoraEXSettingData s;
        s.DriveSize = 16 * kMiB;
        s.DriveLetter = kDriveLetterAutomatic;
        s.SaveType = saveType;
        s.LoadType = 1;
        s.FormatType = FORMAT_TYPE_FAT_AUTO;
        s.MemType = 1;
        s.BackupBaseDir = backup;
        return s;
    }

    int32_t Mount(const std::wstring& path, RamDiskStatus& reply) {
        CVMUThreadTaskMountEX mount;
        mount.SettingsPath = path;
        mount.MountKind = MOUNT_FIRST_ATTEMPT;
        mount.Execute();
        reply = mount.Reply;
        return mount.Result;
    }
    int32_t Unmount(const std::wstring& path, uint8_t save) {
        CVMUThreadTaskUnmountEX unmount;
        unmount.SettingsPath = path;
        unmount.SaveOnRemove = save;
        unmount.Execute();
        return unmount.Result;
    }
    // The disk's bytes through the test interface, which reads at most 4096 at a time.
    std::vector<uint8_t> DiskBytes(const std::wstring& path, uint64_t offset, uint32_t length) {
        CStandinClient client;
        std::vector<uint8_t> bytes;
        for (uint32_t done = 0; done < length;) {
            uint32_t chunk = std::min<uint32_t>(4096, length - done);
            std::vector<uint8_t> part = client.ReadBytes(path, offset + done, chunk);
            if (part.size() != chunk) return {};
            bytes.insert(bytes.end(), part.begin(), part.end());
            done += chunk;
        }
        return bytes;
    }
    long WriteDisk(const std::wstring& path, uint64_t offset, const std::vector<uint8_t>& bytes) {
        CStandinClient client;
        return client.WriteBytes(path, offset, bytes);
    }

    ScratchFolder scratch;
    std::wstring pipeName, ramDir;
    CStandinChild child;
    CRecordingNotifier notices;
};

}  // namespace

TEST_F(TaskStandin, DiskWithBackupIsMadeMountedWrittenSavedAndLoadedAgain) {
    const std::wstring settings = scratch / L"VelmoraEX0.ini";
    const std::wstring backup = scratch / L"Backup0";
    const std::wstring piece = backup + L"\\VelmoraEX0.dat";

    CVMUThreadTaskSettingEx create;
    create.Property.IsNew = 1;
    create.Property.SettingsPath = settings;
    create.Property.NewSetting = Setting(SAVE_AT_LOGOFF, backup);
    create.Execute();
    ASSERT_EQ(create.Result, 0);
    ASSERT_EQ(ScratchFolder::Size(piece), static_cast<int64_t>(16 * kMiB));
    const std::vector<uint8_t> boot = FileBytes(piece, 0, 512);
    ASSERT_EQ(boot[510], 0x55);
    ASSERT_EQ(boot[511], 0xAA);

    RamDiskStatus reply{};
    ASSERT_EQ(Mount(settings, reply), 0);
    ASSERT_NE(reply.driveLetter, 0);
    EXPECT_EQ(DiskBytes(settings, 0, 512), boot) << "the disk was loaded from the formatted image";

    CVelmoraEXManager manager;
    CVelmoraEXData disk;
    disk.Status.SettingsPath = settings;
    disk.Status.DiskOperation = kDiskOperationIdle;
    disk.Setting = create.Property.NewSetting;
    manager.AddDisk(disk);
    ASSERT_EQ(manager.SetStatusFromReply(settings, reply), 1);
    EXPECT_EQ(manager.IsMounted(settings), 1);

    const std::vector<uint8_t> data = Pattern(8192, 3);
    const uint64_t offset = 5 * kMiB + 512;
    ASSERT_EQ(WriteDisk(settings, offset, data), 0);
    manager.RefreshStatus();
    std::vector<std::wstring> toSave;
    EXPECT_EQ(manager.GetDisksToSave(toSave), 1);
    EXPECT_NE(FileBytes(piece, offset, data.size()), data) << "not saved before the remove";

    ASSERT_EQ(Unmount(settings, 1), 0);
    EXPECT_EQ(FileBytes(piece, offset, data.size()), data) << "saved into the image on remove";
    manager.RefreshStatus();
    EXPECT_EQ(manager.IsMounted(settings), 0) << "the driver no longer knows the disk";

    ASSERT_EQ(Mount(settings, reply), 0);
    EXPECT_EQ(DiskBytes(settings, offset, static_cast<uint32_t>(data.size())), data) << "the same bytes back";
    ASSERT_EQ(Unmount(settings, 0), 0);
}

TEST_F(TaskStandin, DiskInUseRefusesTheRemoveWith6001) {
    const std::wstring settings = scratch / L"VelmoraEX1.ini";
    USettingsFile::WriteRamDisk(settings, Setting(SAVE_NONE, scratch / L"Backup1"));
    RamDiskStatus reply{};
    ASSERT_EQ(Mount(settings, reply), 0);
    {
        CStandinClient client;
        ASSERT_EQ(client.SetInUse(settings, true), 0);
    }
    EXPECT_EQ(Unmount(settings, 0), 0x6001);
    {
        CStandinClient client;
        ASSERT_EQ(client.SetInUse(settings, false), 0);
    }
    EXPECT_EQ(Unmount(settings, 0), 0);
}

TEST_F(TaskStandin, BackupSwitchedOnForAMountedDiskKeepsItsContents) {
    const std::wstring settings = scratch / L"VelmoraEX2.ini";
    const std::wstring backup = scratch / L"Backup2";
    CVelmoraEXSettingData before = Setting(SAVE_NONE, scratch / L"Unused");
    USettingsFile::WriteRamDisk(settings, before);
    RamDiskStatus reply{};
    ASSERT_EQ(Mount(settings, reply), 0);
    const std::vector<uint8_t> data = Pattern(4096, 9);
    ASSERT_EQ(WriteDisk(settings, 3 * kMiB, data), 0);

    CVelmoraEXPropertyData change;
    change.SettingsPath = settings;
    change.OldSetting = before;
    change.NewSetting = Setting(SAVE_AT_LOGOFF, backup);
    change.ComputeChanges(1);
    ASSERT_EQ(change.IsBackupOnlySwitchedOn(), 1);

    CVMUThreadTaskUnmountEX save;
    save.SaveToNewImage = 1;
    save.Property = change;
    save.Execute();
    ASSERT_EQ(save.Result, 0);
    EXPECT_TRUE(save.Message.empty());
    EXPECT_EQ(FileBytes(backup + L"\\VelmoraEX0.dat", 3 * kMiB, data.size()), data);

    CVMUThreadTaskSettingEx apply;
    apply.Property = change;
    apply.Execute();
    ASSERT_EQ(apply.Result, 0);

    ASSERT_EQ(Mount(settings, reply), 0);
    EXPECT_EQ(DiskBytes(settings, 3 * kMiB, 4096), data) << "the first backup holds the contents";
    ASSERT_EQ(Unmount(settings, 0), 0);
}
