// The tasks that talk to the driver (mount, unmount, status), against a driver double.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "framework/FakeClock.h"
#include "framework/ScratchFolder.h"
#include "TaskTestSupport.h"
#include "common/DataParser.h"
#include "utility/core/TaskMessages.h"
#include "utility/core/VMUThreadTaskGetStatusEX.h"
#include "utility/core/VMUThreadTaskMountEX.h"
#include "utility/core/VMUThreadTaskUnmountEX.h"
#include "utility/disk/BackupImage.h"
#include "utility/disk/VelmoraAPI.h"

namespace {

using namespace tasktest;

const std::wstring kDisk = L"C:\\ProgramData\\Norvane\\VelmoraEX\\VelmoraEX41.ini";
const std::wstring kOther = L"C:\\ProgramData\\Norvane\\VelmoraEX\\VelmoraEX42.ini";

UDriverPipeFrame::Reply CallFailed(uint32_t error) {
    UDriverPipeFrame::Reply reply;
    reply.succeeded = false;
    reply.error = error;
    return reply;
}

// Free space the tests choose for the backup drive.
uint64_t g_freeBytes = 0;
long ChosenFreeSpace(const std::wstring&, uint64_t& freeBytes) {
    freeBytes = g_freeBytes;
    return 0;
}
class FreeSpaceOverride {
public:
    explicit FreeSpaceOverride(uint64_t bytes) {
        g_freeBytes = bytes;
        m_previous = UBackupImage::SetFreeSpaceQuery(ChosenFreeSpace);
    }
    ~FreeSpaceOverride() { UBackupImage::SetFreeSpaceQuery(m_previous); }

private:
    UBackupImage::FreeSpaceQuery m_previous;
};

}  // namespace

TEST(TaskMount, SendsCreateForTheSettingsPathAndTakesTheReply) {
    FakeDriver driver([](const SeenRequest&) { return StatusReply(0, 0, L'R', 0, 111, 222); });
    CVMUThreadTaskMountEX task;
    task.SettingsPath = kDisk;
    task.MountKind = MOUNT_FIRST_ATTEMPT;
    task.Reply.driveLetter = L'Q';
    task.Execute();
    EXPECT_EQ(task.Type, 10);
    EXPECT_EQ(task.Result, 0);
    EXPECT_EQ(task.Reply.driveLetter, L'R');
    EXPECT_EQ(task.Reply.sizeFigure2, 222u);
    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].request.controlCode, static_cast<uint32_t>(IOCTL_RAMDISK_CREATE));
    EXPECT_EQ(requests[0].request.input.size(), 2 * kDisk.size() + sizeof(size_t) + 1);
    CDataParser parser(requests[0].request.input);
    std::wstring id;
    uint8_t imageMode = 9;
    ASSERT_TRUE(parser.ReadString(id) && parser.ReadByte(imageMode));
    EXPECT_EQ(id, kDisk);
    EXPECT_EQ(imageMode, 0);
}

TEST(TaskMount, ResultFollowsTheDriversCodeOrStaysMinusOne) {
    struct Case {
        UDriverPipeFrame::Reply reply;
        int32_t result;
        const char* what;
    } cases[] = {
        {StatusReply(0, RAMDISK_ERROR_NO_MEMORY, 0), 0x1000, "memory shortage"},
        {StatusReply(0, RAMDISK_ERROR_IMAGE, 0), 0x2000, "image missing"},
        {StatusReply(0, 5, 0), 5, "status 0 with error 5 is a failure with code 5"},
        {StatusReply(7, 0, L'R'), -1, "a nonzero status word with error 0 is a failure without a code"},
        {CallFailed(ERROR_GEN_FAILURE), -1, "the control call itself failed"},
    };
    for (const Case& c : cases) {
        FakeDriver driver([&](const SeenRequest&) { return c.reply; });
        CVMUThreadTaskMountEX task;
        task.SettingsPath = kDisk;
        task.MountKind = MOUNT_FIRST_ATTEMPT;
        std::memset(&task.Reply, 0xCC, sizeof(task.Reply));
        task.Execute();
        EXPECT_EQ(task.Result, c.result) << c.what;
        if (c.reply.output.empty()) {
            RamDiskStatus zero{};
            EXPECT_EQ(std::memcmp(&task.Reply, &zero, sizeof(zero)), 0) << "the reply is cleared before sending";
        }
    }
}

TEST(TaskMount, AbsentDriverGivesMinusOneWithinAboutASecond) {
    AbsentDriver absent;
    CVMUThreadTaskMountEX task;
    task.SettingsPath = kDisk;
    task.MountKind = MOUNT_FIRST_ATTEMPT;
    task.Result = 0;
    CFakeClock clock;
    uint64_t start = UClock::Milliseconds();
    task.Execute();
    uint64_t elapsed = UClock::Milliseconds() - start;
    EXPECT_EQ(task.Result, -1);
    EXPECT_TRUE(task.Message.empty());
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LT(elapsed, 2500u);
    EXPECT_EQ(clock.TotalSlept(), elapsed) << "only the open's retries wait";
}

TEST(TaskMount, SecondAttemptWaitsFiveSecondsAndAsksForImageMode) {
    FakeDriver driver([](const SeenRequest&) { return StatusReply(0, 0, L'S', 1); });
    CVMUThreadTaskMountEX task;
    task.SettingsPath = kDisk;
    task.MountKind = MOUNT_IMAGE_MODE_RETRY;
    CFakeClock clock;
    uint64_t start = UClock::Milliseconds();
    task.Execute();
    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_GE(requests[0].tick - start, 5000u) << "the command starts no earlier than 5000 ms after take-up";
    ASSERT_FALSE(clock.Sleeps().empty());
    EXPECT_EQ(clock.Sleeps()[0], 5000u) << "one wait of 5000 ms comes first";
    CDataParser parser(requests[0].request.input);
    std::wstring id;
    uint8_t imageMode = 0;
    ASSERT_TRUE(parser.ReadString(id) && parser.ReadByte(imageMode));
    EXPECT_EQ(imageMode, 1);
    EXPECT_EQ(task.Result, 0);
    EXPECT_EQ(task.Reply.imageMode, 1);
}

TEST(TaskUnmount, RemoveSendsLetterZeroTheReservedByteAndTheSaveFlag) {
    FakeDriver driver([](const SeenRequest& r) {
        return r.request.controlCode == IOCTL_RAMDISK_QUERY ? StatusReply(0, 0, L'R') : ShortReply(0, 0);
    });
    CVMUThreadTaskUnmountEX task;
    task.SettingsPath = kDisk;
    task.SaveOnRemove = 1;
    task.Execute();
    EXPECT_EQ(task.Type, 11);
    EXPECT_EQ(task.Result, 0);
    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 2u) << "a letter lookup, then the remove";
    EXPECT_EQ(requests[1].request.controlCode, static_cast<uint32_t>(IOCTL_RAMDISK_REMOVE));
    CDataParser parser(requests[1].request.input);
    std::wstring id;
    char16_t letter = 1;
    uint8_t reserved = 9, save = 9;
    ASSERT_TRUE(parser.ReadString(id) && parser.ReadChar(letter) && parser.ReadByte(reserved) && parser.ReadByte(save));
    EXPECT_EQ(id, kDisk);
    EXPECT_EQ(letter, 0);
    EXPECT_EQ(reserved, 0);
    EXPECT_EQ(save, 1);
}

TEST(TaskUnmount, RemoveFailuresGiveTheDriversCodeOrMinusOne) {
    {
        FakeDriver driver([](const SeenRequest& r) {
            return r.request.controlCode == IOCTL_RAMDISK_QUERY ? StatusReply(0, 0, L'R')
                                                                : ShortReply(0, RAMDISK_ERROR_IN_USE);
        });
        CVMUThreadTaskUnmountEX task;
        task.SettingsPath = kDisk;
        task.Execute();
        EXPECT_EQ(task.Result, 0x6001);
    }
    {
        FakeDriver driver([](const SeenRequest& r) {
            return r.request.controlCode == IOCTL_RAMDISK_QUERY ? StatusReply(0, 0, L'R') : ShortReply(3, 0);
        });
        CVMUThreadTaskUnmountEX task;
        task.SettingsPath = kDisk;
        task.Execute();
        EXPECT_EQ(task.Result, -1);
    }
    AbsentDriver absent;
    CVMUThreadTaskUnmountEX task;
    task.SettingsPath = kDisk;
    task.Result = 0;
    task.Execute();
    EXPECT_EQ(task.Result, -1);
}

TEST(TaskUnmount, SaveToNewImageMakesThePiecesAndSendsTheImagePath) {
    ScratchFolder scratch;
    const std::wstring backup = scratch / L"Backup.v2";
    FakeDriver driver([](const SeenRequest& r) {
        return r.request.controlCode == IOCTL_RAMDISK_QUERY ? StatusReply(0, 0, L'R') : ShortReply(0, 0);
    });
    CVMUThreadTaskUnmountEX task;
    task.SettingsPath = L"unused by this variant";
    task.SaveToNewImage = 1;
    task.Property.SettingsPath = kDisk;
    task.Property.NewSetting.SaveType = SAVE_AT_LOGOFF;
    task.Property.NewSetting.DriveSize = 3 * 1048576;
    task.Property.NewSetting.BackupBaseDir = backup;
    task.Execute();
    EXPECT_EQ(task.Result, 0);
    EXPECT_TRUE(task.Message.empty());
    EXPECT_EQ(ScratchFolder::Size(backup + L"\\VelmoraEX0.dat"), 3 * 1048576) << "the piece is made at full size";
    auto requests = driver.Requests();
    ASSERT_FALSE(requests.empty());
    const SeenRequest& save = requests.back();
    EXPECT_EQ(save.request.controlCode, static_cast<uint32_t>(IOCTL_RAMDISK_SAVE_AND_REMOVE));
    CDataParser parser(save.request.input);
    std::wstring id, image;
    char16_t letter = 1;
    uint8_t reserved = 9;
    uint64_t piece = 0;
    ASSERT_TRUE(parser.ReadString(id) && parser.ReadChar(letter) && parser.ReadByte(reserved) &&
                parser.ReadString(image) && parser.ReadUInt64(piece));
    EXPECT_TRUE(parser.AtEnd());
    EXPECT_EQ(id, kDisk) << "the disk is named by the property's settings path";
    EXPECT_EQ(letter, 0);
    EXPECT_EQ(image, backup + L"\\VelmoraEX.dat");
    EXPECT_EQ(piece, 0x7D000000u);
}

TEST(TaskUnmount, SaveToNewImageRemovesThePiecesWhenTheDriverFails) {
    ScratchFolder scratch;
    const std::wstring backup = scratch / L"Backup";
    FakeDriver driver([](const SeenRequest& r) {
        return r.request.controlCode == IOCTL_RAMDISK_QUERY ? StatusReply(0, 0, L'R')
                                                            : ShortReply(0, RAMDISK_ERROR_IMAGE);
    });
    CVMUThreadTaskUnmountEX task;
    task.SaveToNewImage = 1;
    task.Property.SettingsPath = kDisk;
    task.Property.NewSetting.SaveType = SAVE_WRITE_BACK;
    task.Property.NewSetting.DriveSize = 1048576;
    task.Property.NewSetting.BackupBaseDir = backup;
    task.Execute();
    EXPECT_EQ(task.Result, 0x2000);
    EXPECT_TRUE(task.Message.empty());
    EXPECT_FALSE(Exists(backup + L"\\VelmoraEX0.dat"));
}

TEST(TaskUnmount, ShortageGives4002NamingTheDriveAndSendsNothing) {
    ScratchFolder scratch;
    const std::wstring backup = scratch / L"Backup";
    ASSERT_TRUE(ScratchFolder::MakeFolder(backup));
    // Files already there were not made by this task and stay.
    ASSERT_TRUE(ScratchFolder::Write(backup + L"\\VelmoraEX0.dat", std::vector<char>(512, 'k')));
    FakeDriver driver([](const SeenRequest&) { return ShortReply(0, 0); });
    FreeSpaceOverride space(4 * 1048576);
    CVMUThreadTaskUnmountEX task;
    task.SaveToNewImage = 1;
    task.Property.SettingsPath = kDisk;
    task.Property.NewSetting.SaveType = SAVE_AT_LOGOFF;
    task.Property.NewSetting.DriveSize = 4 * 1048576;  // equal to the free space: too little
    task.Property.NewSetting.BackupBaseDir = backup;
    task.Execute();
    EXPECT_EQ(task.Result, -1);
    EXPECT_EQ(task.Message,
              std::wstring(L"ドライブの空き容量が不足しているためバックアップファイルが作成できません\n") +
                  backup.substr(0, 1) + L":ドライブの空き容量を増やしてください。");
    EXPECT_TRUE(driver.Requests().empty()) << "no driver command after a failed preparation";
    EXPECT_EQ(ScratchFolder::Size(backup + L"\\VelmoraEX0.dat"), 512);
}

TEST(TaskUnmount, ImageCreationErrorGives4115WithTheSystemText) {
    ScratchFolder scratch;
    const std::wstring backup = scratch / L"missing\\Backup";  // its parent does not exist
    FakeDriver driver([](const SeenRequest&) { return ShortReply(0, 0); });
    CVMUThreadTaskUnmountEX task;
    task.SaveToNewImage = 1;
    task.Property.SettingsPath = kDisk;
    task.Property.NewSetting.SaveType = SAVE_AT_LOGOFF;
    task.Property.NewSetting.DriveSize = 1048576;
    task.Property.NewSetting.BackupBaseDir = backup;
    task.Execute();
    EXPECT_EQ(task.Result, -1);
    std::wstring system = UTaskMessages::SystemText(ERROR_PATH_NOT_FOUND);
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(task.Message, L"バックアップファイルの作成中にエラーが発生しました。\n" + system);
    EXPECT_TRUE(driver.Requests().empty());
}

TEST(TaskStatus, QueriesEveryDiskInMapOrderOnOneHandle) {
    FakeDriver driver([](const SeenRequest& r) {
        return r.DiskId() == kDisk ? StatusReply(0, 0, L'R', 0, 5, 6) : StatusReply(1, 0x3000, 0);
    });
    CVMUThreadTaskGetStatusEX task;
    task.Replies[kOther];
    task.Replies[kDisk].driveLetter = L'X';
    task.Execute();
    EXPECT_EQ(task.Type, 12);
    EXPECT_EQ(task.Result, 0);
    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].DiskId(), kDisk) << "map order";
    EXPECT_EQ(requests[1].DiskId(), kOther);
    EXPECT_EQ(task.Replies[kDisk].driveLetter, L'R');
    EXPECT_EQ(task.Replies[kDisk].sizeFigure1, 5u);
    EXPECT_EQ(task.Replies[kOther].error, 0x3000u) << "a failed query keeps the driver's answer";
}

TEST(TaskStatus, FailsAtOnceWhenTheDeviceIsBusyOrAbsent) {
    FakeDriver driver([](const SeenRequest&) { return StatusReply(0, 0, L'R'); });
    CVelmoraAPI holder;
    ASSERT_TRUE(holder.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    CVMUThreadTaskGetStatusEX task;
    task.Replies[kDisk];
    DWORD start = GetTickCount();
    task.Execute();
    EXPECT_EQ(task.Result, -1);
    EXPECT_LT(GetTickCount() - start, 300u) << "no retry";
    holder.Close();
    EXPECT_TRUE(driver.Requests().empty());

    AbsentDriver absent;
    CVMUThreadTaskGetStatusEX again;
    again.Replies[kDisk];
    start = GetTickCount();
    again.Execute();
    EXPECT_EQ(again.Result, -1);
    EXPECT_LT(GetTickCount() - start, 300u);
}
