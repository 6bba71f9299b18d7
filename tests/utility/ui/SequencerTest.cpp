// The operation sequencer's chains, driven by a worker that answers with scripted results and a
// host that records every message box, balloon and row change.
#include <windows.h>

#include <dbt.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/ToolResultRecords.h"
#include "framework/FindHandle.h"
#include "framework/ScratchFolder.h"
#include "standin/StandinHarness.h"
#include "standin/StandinMountScripts.h"
#include "standin/StandinUnixSide.h"
#include "tests/tools/ToolsRunner.h"
#include "tests/utility/tools_channel/ProbeFolder.h"
#include "tests/utility/tools_channel/RecordingToolPrompt.h"
#include "tests/utility/core/RecordingVlinkCommands.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/VMUThreadTaskBrowserSettingEX.h"
#include "utility/core/VMUThreadTaskMountEX.h"
#include "utility/core/VMUThreadTaskRAMFolderEX.h"
#include "utility/core/VMUThreadTaskSettingDeleteEx.h"
#include "utility/core/VMUThreadTaskSettingEx.h"
#include "utility/core/VMUThreadTaskUnmountEX.h"
#include "utility/core/VMUThreadTaskVlinkEX.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/DataFolder.h"
#include "utility/disk/DeviceNotifier.h"
#include "utility/links/BrowserFirefox.h"
#include "utility/links/FakeShellFolderSetter.h"
#include "utility/links/ShellFolder.h"
#include "utility/links/WineDriveLetter.h"
#include "utility/tools_channel/ToolLinkCommands.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/ui/SequencerHost.h"
#include "utility/ui/SequencerMessages.h"

namespace {

const std::wstring kApp = L"VelmoraEX";
const std::wstring kDisk = L"VelmoraEX RAMディスク";

struct Box {
    std::wstring caption, text;
    UINT style;
};
struct BalloonShown {
    std::wstring text, title;
    int icon;
};

class RecordingHost : public ISequencerHost {
public:
    ~RecordingHost() override {
        for (CVMUThreadTaskHeader* task : queue) delete task;
    }
    bool PostToWorker(CVMUThreadTaskHeader* task) override {
        if (refusePost || task->Type == refuseType) return false;
        queue.push_back(task);
        return true;
    }
    int ShowMessageBox(const std::wstring& caption, const std::wstring& text, UINT style) override {
        boxes.push_back({caption, text, style});
        if (answers.empty()) return IDCANCEL;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowBalloon(const std::wstring& text, const std::wstring& title, int icon) override {
        balloons.push_back({text, title, icon});
    }
    bool HasTrayIcon() const override { return true; }
    bool BalloonsAllowed() const override { return balloonsAllowed; }
    bool IsStatusSheetOpen() const override { return true; }
    void RefreshDiskRow(const std::wstring& path) override { refreshed.push_back(path); }
    bool AddDiskRow(const CVelmoraEXData& disk) override {
        if (refuseRow) return false;
        rows.push_back(disk.Status.SettingsPath);
        return true;
    }
    void RemoveDiskRow(const std::wstring& path) override { removedRows.push_back(path); }
    void RestartWindows() override { ++restarts; }
    IVlinkCommands& LinkCommands() override { return linkCommands ? *linkCommands : links; }

    std::deque<CVMUThreadTaskHeader*> queue;
    bool refusePost = false;
    int32_t refuseType = 0;  // tasks of this type are refused
    bool balloonsAllowed = true;
    bool refuseRow = false;
    std::deque<int> answers;
    std::vector<Box> boxes;
    std::vector<BalloonShown> balloons;
    std::vector<std::wstring> refreshed, rows, removedRows;
    int restarts = 0;
    CRecordingVlinkCommands links;
    IVlinkCommands* linkCommands = nullptr;  // instead of links
};

// Volume notices the sequencer raises.
class RecordingNotifier : public IDeviceNotifier {
public:
    void BroadcastVolume(WPARAM event, wchar_t letter) override {
        if (event == DBT_DEVICEARRIVAL) arrivals.push_back(letter);
    }
    void UpdateRoot(wchar_t) override {}
    std::vector<wchar_t> arrivals;
};

// One task as the worker received it: its type, the disk's operation code while it ran, and
// the fields the sequencer filled in.
struct Ran {
    int32_t type = 0;
    int32_t op = 0;
    int32_t mountKind = 0, retry = 0, recreated = 0, errorBox = 0;
    int32_t save = 0, toNewImage = 0;
    int32_t switchOn = -1, noBackup = -1, sub = 0;
    wchar_t drive = 0;
    std::vector<CVelmoraEXVlinkData> links;
    std::vector<std::wstring> pending;
    IVlinkCommands* commands = nullptr;
    CVelmoraEXCacheSettingData request;
    CVelmoraEXPropertyData property;
};

using Script = std::function<void(CVMUThreadTaskHeader&)>;

class SequencerTest : public ::testing::Test {
protected:
    SequencerTest() : seq(manager, host) { m_previousNotifier = UDeviceNotifier::Replace(&notifier); }
    ~SequencerTest() override { UDeviceNotifier::Replace(m_previousNotifier); }

    std::wstring PathOf(const wchar_t* name) { return scratch.Path() + L"\\" + name; }

    CVelmoraEXData& AddDisk(const std::wstring& path, int32_t saveType = SAVE_NONE, int32_t mode = MODE_NOT_MOUNTED,
                            wchar_t letter = 0) {
        CVelmoraEXData disk;
        disk.Status.SettingsPath = path;
        disk.Status.DiskOperation = OP_IDLE;
        disk.Status.Mode = mode;
        disk.Status.CurrentLetter = letter;
        disk.Setting.DriveSize = 16u << 20;
        disk.Setting.DriveLetter = 'R';
        disk.Setting.SaveType = saveType;
        disk.Setting.FormatType = 4;
        disk.Setting.MemType = 1;
        if (saveType != SAVE_NONE) disk.Setting.BackupBaseDir = scratch.Path() + L"\\Backup0";
        manager.AddDisk(disk);
        // The records are not const in the manager's list; tests set links and caches in place.
        return const_cast<CVelmoraEXData&>(manager.Disks().back());
    }

    CVelmoraEXData Get(const std::wstring& path) {
        CVelmoraEXData disk;
        EXPECT_EQ(manager.FindDisk(path, disk), 1);
        return disk;
    }

    void On(int32_t type, Script script) { scripts[type].push_back(std::move(script)); }

    static std::wstring TaskPath(CVMUThreadTaskHeader& t) {
        switch (t.Type) {
            case TASK_MOUNT:
                return static_cast<CVMUThreadTaskMountEX&>(t).SettingsPath;
            case TASK_UNMOUNT:
                return static_cast<CVMUThreadTaskUnmountEX&>(t).SettingsPath;
            case TASK_SETTING:
                return static_cast<CVMUThreadTaskSettingEx&>(t).Property.SettingsPath;
            case TASK_SETTING_DELETE:
                return static_cast<CVMUThreadTaskSettingDeleteEx&>(t).SettingsPath;
            case TASK_RAM_FOLDER:
                return static_cast<CVMUThreadTaskRAMFolderEX&>(t).SettingsPath;
            case TASK_BROWSER_SETTING:
                return static_cast<CVMUThreadTaskBrowserSettingEX&>(t).SettingsPath;
            case TASK_VLINK:
                return static_cast<CVMUThreadTaskVlinkEX&>(t).SettingsPath;
        }
        return L"";
    }

    // Success as the real tasks report it: a mount reply with the disk's letter and size.
    void Succeed(CVMUThreadTaskHeader& t) {
        if (t.Type != TASK_MOUNT) return;
        auto& mount = static_cast<CVMUThreadTaskMountEX&>(t);
        CVelmoraEXData disk = Get(mount.SettingsPath);
        mount.Reply.driveLetter = disk.Setting.DriveLetter;
        mount.Reply.sizeFigure1 = disk.Setting.DriveSize;
    }

    // Runs the worker until no task is left (at most limit tasks).
    void RunWorker(int limit = 20) {
        while (!host.queue.empty() && limit-- > 0) {
            CVMUThreadTaskHeader* t = host.queue.front();
            host.queue.pop_front();
            Ran r;
            r.type = t->Type;
            CVelmoraEXData disk;
            r.op = manager.FindDisk(TaskPath(*t), disk) ? disk.Status.DiskOperation : 0;
            if (t->Type == TASK_MOUNT) {
                auto& m = static_cast<CVMUThreadTaskMountEX&>(*t);
                r.mountKind = m.MountKind, r.retry = m.RetryAllowed, r.recreated = m.Recreated,
                r.errorBox = m.ShowErrorBox;
            } else if (t->Type == TASK_UNMOUNT) {
                auto& u = static_cast<CVMUThreadTaskUnmountEX&>(*t);
                r.save = u.SaveOnRemove, r.toNewImage = u.SaveToNewImage, r.property = u.Property;
            } else if (t->Type == TASK_SETTING) {
                r.property = static_cast<CVMUThreadTaskSettingEx&>(*t).Property;
            } else if (t->Type == TASK_BROWSER_SETTING) {
                auto& b = static_cast<CVMUThreadTaskBrowserSettingEX&>(*t);
                r.switchOn = b.SwitchOn, r.noBackup = b.NoBackup, r.request = b.Request, r.drive = b.DriveLetter;
            } else if (t->Type == TASK_VLINK) {
                auto& l = static_cast<CVMUThreadTaskVlinkEX&>(*t);
                r.sub = l.SubOperation, r.drive = l.DriveLetter, r.links = l.Links, r.pending = l.PendingLinks;
                r.commands = l.Commands;
            }
            ran.push_back(r);
            auto& queued = scripts[t->Type];
            if (execute) {
                t->Execute();
            } else if (queued.empty()) {
                Succeed(*t);
            } else {
                queued.front()(*t);
                queued.pop_front();
            }
            if (!seq.OnTaskDone(t)) delete t;
        }
    }

    std::vector<std::pair<int32_t, int32_t>> Order() const {
        std::vector<std::pair<int32_t, int32_t>> order;
        for (const Ran& r : ran) order.emplace_back(r.type, r.op);
        return order;
    }

    ScratchFolder scratch;
    CVelmoraEXManager manager;
    RecordingHost host;
    CDiskSequencer seq;
    std::map<int32_t, std::deque<Script>> scripts;
    bool execute = false;  // the worker runs each task for real instead of the scripts
    std::vector<Ran> ran;
    RecordingNotifier notifier;

private:
    IDeviceNotifier* m_previousNotifier = nullptr;
};

using Steps = std::vector<std::pair<int32_t, int32_t>>;

// ---- enable --------------------------------------------------------------------------------

TEST_F(SequencerTest, EnableMountsThenCleansRamFolderAndAnnounces) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    AddDisk(path);
    seq.EnableDisk(path);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_MOUNT, OP_ENABLE_MOUNT}, {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    ASSERT_FALSE(ran.empty());
    EXPECT_EQ(ran[0].mountKind, MOUNT_FIRST_ATTEMPT);
    EXPECT_EQ(ran[0].retry, 1);
    EXPECT_EQ(ran[0].recreated, 0);
    EXPECT_EQ(ran[0].errorBox, 0);
    ASSERT_EQ(host.balloons.size(), 1u);
    EXPECT_EQ(host.balloons[0].title, L"VelmoraEX RAMディスクを有効にしました");
    EXPECT_EQ(host.balloons[0].text, L"ドライブレター ： R:\n容量 ： 16MB");
    EXPECT_EQ(host.balloons[0].icon, BALLOON_INFO);
    CVelmoraEXData disk = Get(path);
    EXPECT_EQ(disk.Status.DiskOperation, OP_IDLE);
    EXPECT_EQ(disk.Status.CurrentLetter, L'R');
    EXPECT_EQ(disk.Status.Mode, MODE_MEMORY);
}

TEST_F(SequencerTest, EnableRunsCachesLinksAndPendingLinksInOrder) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    CVelmoraEXData& disk = AddDisk(path, SAVE_AT_LOGOFF);
    disk.Setting.CacheSetting.ChromeCache = 1;
    disk.Vlinks.emplace_back(L"C:\\a", L"R:\\a", L"C:\\a.bak");
    disk.PendingVlinks.push_back(L"C:\\b");
    disk.PendingVlinks.push_back(L"C:\\c");
    // The pending-link task creates b and defers c; the manager takes both lists back.
    On(TASK_VLINK, [](CVMUThreadTaskHeader&) {});
    On(TASK_VLINK, [](CVMUThreadTaskHeader& t) {
        auto& links = static_cast<CVMUThreadTaskVlinkEX&>(t);
        links.Links.emplace_back(L"C:\\b", L"\\Vlink\\b", L"C:\\b_Backup");
        links.PendingLinks = {L"C:\\c"};
    });
    seq.EnableDisk(path);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_MOUNT, OP_ENABLE_MOUNT_IMAGE},
                              {TASK_BROWSER_SETTING, OP_ENABLE_BROWSER},
                              {TASK_VLINK, OP_ENABLE_LINKS},
                              {TASK_VLINK, OP_ENABLE_PENDING_LINKS},
                              {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    ASSERT_EQ(ran.size(), 5u);
    EXPECT_EQ(ran[1].switchOn, 1);
    EXPECT_EQ(ran[1].noBackup, 0);
    EXPECT_EQ(ran[1].request.ChromeCache, 1);
    EXPECT_EQ(ran[1].request.IECache, 0);
    for (size_t i : {2u, 3u}) {
        EXPECT_EQ(ran[i].sub, i == 2 ? 2 : 3);
        EXPECT_EQ(ran[i].drive, L'R');
        EXPECT_EQ(ran[i].commands, &host.links);
        EXPECT_EQ(ran[i].pending, (std::vector<std::wstring>{L"C:\\b", L"C:\\c"}));
    }
    EXPECT_EQ(ran[2].links, (std::vector<CVelmoraEXVlinkData>{{L"C:\\a", L"R:\\a", L"C:\\a.bak"}}));
    CVelmoraEXData after = Get(path);
    ASSERT_EQ(after.Vlinks.size(), 2u);
    EXPECT_EQ(after.Vlinks[1].src, L"C:\\b");
    EXPECT_EQ(after.PendingVlinks, std::vector<std::wstring>{L"C:\\c"});
    ASSERT_FALSE(host.balloons.empty());
    EXPECT_EQ(host.balloons[0].title, L"VelmoraEX RAMディスクを作成しました");
}

TEST_F(SequencerTest, ImageModeMountIsExplainedInABox) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    AddDisk(path, SAVE_AT_LOGOFF);
    On(TASK_MOUNT, [&](CVMUThreadTaskHeader& t) {
        Succeed(t);
        static_cast<CVMUThreadTaskMountEX&>(t).Reply.imageMode = 1;
    });
    seq.EnableDisk(path);
    RunWorker();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, kApp);
    EXPECT_EQ(host.boxes[0].style, static_cast<UINT>(MB_ICONASTERISK));
    EXPECT_NE(host.boxes[0].text.find(L"仮想ディスクモード"), std::wstring::npos);
    EXPECT_TRUE(host.balloons.empty());
    EXPECT_EQ(Get(path).Status.Mode, MODE_IMAGE);
}

TEST_F(SequencerTest, MemoryShortageRetriesOnceInImageModeOnlyWithABackup) {
    const std::wstring withBackup = PathOf(L"VelmoraEX0.ini");
    AddDisk(withBackup, SAVE_AT_LOGOFF);
    On(TASK_MOUNT, [](CVMUThreadTaskHeader& t) { t.Result = 0x1000; });
    On(TASK_MOUNT, [](CVMUThreadTaskHeader& t) { t.Result = 0x1000; });
    seq.EnableDisk(withBackup);
    RunWorker();
    // The second attempt is not retried again.
    ASSERT_EQ(Order(), (Steps{{TASK_MOUNT, OP_ENABLE_MOUNT_IMAGE}, {TASK_MOUNT, OP_ENABLE_MOUNT_IMAGE}}));
    EXPECT_EQ(ran[1].mountKind, MOUNT_IMAGE_MODE_RETRY);
    EXPECT_EQ(ran[1].retry, 0);
    ASSERT_EQ(host.balloons.size(), 1u);
    EXPECT_EQ(host.balloons[0].title, kDisk);
    EXPECT_EQ(host.balloons[0].icon, BALLOON_ERROR);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, L"メモリーが不足しているため、RAMディスクを有効にできませんでした。");
    EXPECT_EQ(Get(withBackup).Status.DiskOperation, OP_IDLE);

    const std::wstring bare = PathOf(L"VelmoraEX1.ini");
    AddDisk(bare);
    ran.clear();
    On(TASK_MOUNT, [](CVMUThreadTaskHeader& t) { t.Result = 0x1000; });
    seq.EnableDisk(bare);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_MOUNT, OP_ENABLE_MOUNT}}));
    EXPECT_EQ(host.boxes.size(), 2u);
}

TEST_F(SequencerTest, UnreadableImageOffersTryAgainContinueAndCancel) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    AddDisk(path, SAVE_AT_LOGOFF);
    auto imageError = [](CVMUThreadTaskHeader& t) { t.Result = 0x2000; };

    // Try again: the same first attempt once more.
    On(TASK_MOUNT, imageError);
    host.answers = {IDTRYAGAIN};
    seq.EnableDisk(path);
    RunWorker();
    ASSERT_EQ(Order(), (Steps{{TASK_MOUNT, OP_ENABLE_MOUNT_IMAGE},
                              {TASK_MOUNT, OP_ENABLE_MOUNT_IMAGE},
                              {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    EXPECT_EQ(ran[1].mountKind, MOUNT_FIRST_ATTEMPT);
    EXPECT_EQ(ran[1].retry, 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, kApp);
    EXPECT_EQ(
        host.boxes[0].text,
        L"RAMディスクを有効にできませんでした。\n再試行するか、バックアップを行わない設定に変更して続行してください。");
    EXPECT_EQ(host.boxes[0].style, static_cast<UINT>(MB_CANCELTRYCONTINUE | MB_ICONHAND));

    // Cancel: nothing more, the disk idle and still off.
    manager.ClearStatus(path);
    ran.clear();
    On(TASK_MOUNT, imageError);
    host.answers = {IDCANCEL};
    seq.EnableDisk(path);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_MOUNT, OP_ENABLE_MOUNT_IMAGE}}));
    EXPECT_EQ(Get(path).Status.DiskOperation, OP_IDLE);
    EXPECT_EQ(seq.PendingChange(), nullptr);

    // Continue: the backup is switched off and the disk made new without it.
    ran.clear();
    On(TASK_MOUNT, imageError);
    host.answers = {IDCONTINUE};
    seq.EnableDisk(path);
    RunWorker();
    ASSERT_EQ(Order(), (Steps{{TASK_MOUNT, OP_ENABLE_MOUNT_IMAGE},
                              {TASK_SETTING, OP_SETTINGS_WRITE},
                              {TASK_MOUNT, OP_ENABLE_MOUNT},
                              {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    EXPECT_EQ(ran[1].property.NewSetting.SaveType, SAVE_NONE);
    EXPECT_EQ(ran[1].property.OldSetting.SaveType, SAVE_AT_LOGOFF);
    EXPECT_EQ(ran[1].property.ChangeFlags, static_cast<uint32_t>(CHANGE_BACKUP_OFF));
    EXPECT_EQ(ran[2].recreated, 1);
    EXPECT_EQ(Get(path).Setting.SaveType, SAVE_NONE);
    EXPECT_EQ(seq.PendingChange(), nullptr);
}

TEST_F(SequencerTest, MountErrorsAreWordedByCode) {
    using USequencerMessages::DriverError;
    EXPECT_EQ(DriverError(L"有効にできません。", 0), L"有効にできません。");
    EXPECT_EQ(DriverError(L"有効にできません。", 0x1000), L"メモリーが不足しています。");
    EXPECT_EQ(DriverError(L"無効にできません。", 0x6001),
              L"RAMディスクを利用中のソフトウェアがあるため、無効にすることができません。");
    EXPECT_EQ(DriverError(L"有効にできません。", -1), L"エラーがおきました\n有効にできません。(-1)");

    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    AddDisk(path);
    On(TASK_MOUNT, [](CVMUThreadTaskHeader& t) { t.Result = 0x3003; });
    seq.EnableDisk(path);
    RunWorker();
    ASSERT_EQ(host.balloons.size(), 1u);
    EXPECT_EQ(host.balloons[0].text, L"エラーがおきました\n有効にできません。(12291)");
    EXPECT_EQ(host.balloons[0].title, kDisk);
    EXPECT_EQ(host.balloons[0].icon, BALLOON_ERROR);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Get(path).Status.DiskOperation, OP_IDLE);
}

TEST_F(SequencerTest, PendingSettingsFileTurnsEnableIntoASettingsChange) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    AddDisk(path);
    const std::wstring pending = USettingsPaths::GetPendingSettingsPath(path);
    CVelmoraEXSettingData bigger = Get(path).Setting;
    bigger.DriveSize = 32u << 20;
    USettingsFile::WriteRamDisk(pending, bigger);
    seq.EnableDisk(path);
    RunWorker();
    ASSERT_EQ(Order(), (Steps{{TASK_SETTING, OP_SETTINGS_WRITE},
                              {TASK_MOUNT, OP_ENABLE_MOUNT},
                              {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    EXPECT_EQ(ran[0].property.PromotePending, 1);
    EXPECT_EQ(ran[0].property.PendingPath, pending);
    EXPECT_EQ(ran[0].property.NewSetting.DriveSize, 32u << 20);
    EXPECT_TRUE(ran[0].property.ChangeFlags & CHANGE_DRIVE_SIZE);
    EXPECT_EQ(ran[1].recreated, 1);
    EXPECT_EQ(Get(path).Setting.DriveSize, 32u << 20);
    EXPECT_EQ(GetFileAttributesW(pending.c_str()), INVALID_FILE_ATTRIBUTES);

    // A pending file without a size is dropped and the disk simply mounted.
    ran.clear();
    manager.ClearStatus(path);
    CVelmoraEXSettingData broken = bigger;
    broken.DriveSize = 0;
    USettingsFile::WriteRamDisk(pending, broken);
    seq.EnableDisk(path);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_MOUNT, OP_ENABLE_MOUNT}, {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    EXPECT_EQ(GetFileAttributesW(pending.c_str()), INVALID_FILE_ATTRIBUTES);
}

// ---- disable -------------------------------------------------------------------------------

TEST_F(SequencerTest, DisableAsksBeforeDroppingContentsAndSavesWithABackup) {
    const std::wstring bare = PathOf(L"VelmoraEX0.ini");
    AddDisk(bare, SAVE_NONE, MODE_MEMORY, L'R');
    host.answers = {IDCANCEL};
    seq.DisableDisk(bare);
    EXPECT_TRUE(host.queue.empty());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, kApp);
    EXPECT_EQ(host.boxes[0].text, L"現在のドライブを無効にします。ディスク内のデータは全て失われます。続行しますか？");
    EXPECT_EQ(host.boxes[0].style, static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION));

    host.answers = {IDOK};
    seq.DisableDisk(bare);
    RunWorker();
    ASSERT_EQ(Order(), (Steps{{TASK_UNMOUNT, OP_DISABLE_UNMOUNT}}));
    EXPECT_EQ(ran[0].save, 0);
    EXPECT_EQ(Get(bare).Status.Mode, MODE_NOT_MOUNTED);
    ASSERT_EQ(host.balloons.size(), 1u);
    EXPECT_EQ(host.balloons[0].text, L"無効にしました");
    EXPECT_EQ(host.balloons[0].title, kDisk);

    const std::wstring saved = PathOf(L"VelmoraEX1.ini");
    AddDisk(saved, SAVE_AT_LOGOFF, MODE_MEMORY, L'S');
    ran.clear();
    seq.DisableDisk(saved);
    RunWorker();
    ASSERT_EQ(Order(), (Steps{{TASK_UNMOUNT, OP_DISABLE_UNMOUNT}}));
    EXPECT_EQ(ran[0].save, 1);
    EXPECT_EQ(host.boxes.size(), 2u);
}

TEST_F(SequencerTest, DisableRefusesADiskHoldingTheIECache) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    AddDisk(path, SAVE_AT_LOGOFF, MODE_MEMORY, L'R').Setting.CacheSetting.IECache = 1;
    const std::wstring text = L"RAMディスクを利用中のソフトウェアがあるため、無効にすることができません。";
    seq.DisableDisk(path);
    ASSERT_EQ(host.balloons.size(), 1u);
    EXPECT_EQ(host.balloons[0].text, text);
    EXPECT_EQ(host.balloons[0].title, kApp);
    host.balloonsAllowed = false;
    seq.DisableDisk(path);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, text);
    EXPECT_EQ(host.boxes[0].style, static_cast<UINT>(MB_ICONHAND));
    EXPECT_TRUE(host.queue.empty());
}

TEST_F(SequencerTest, DisableThatCannotSaveOffersToDropTheContents) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    AddDisk(path, SAVE_AT_LOGOFF, MODE_MEMORY, L'R');
    On(TASK_UNMOUNT, [](CVMUThreadTaskHeader& t) { t.Result = 0x2000; });
    host.answers = {IDYES};
    seq.DisableDisk(path);
    RunWorker();
    ASSERT_EQ(Order(), (Steps{{TASK_UNMOUNT, OP_DISABLE_UNMOUNT}, {TASK_UNMOUNT, OP_DISABLE_UNMOUNT}}));
    EXPECT_EQ(ran[0].save, 1);
    EXPECT_EQ(ran[1].save, 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, kDisk);
    EXPECT_EQ(host.boxes[0].style, static_cast<UINT>(MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2));

    // Any other failure: an error balloon and the disk left as it was.
    manager.SetStatusFromReply(path, RamDiskStatus{0, 0, L'R', 0, {}, 0, {}, 0, 0, 0});
    ran.clear();
    host.balloons.clear();
    On(TASK_UNMOUNT, [](CVMUThreadTaskHeader& t) { t.Result = 0x6001; });
    seq.DisableDisk(path);
    RunWorker();
    ASSERT_EQ(host.balloons.size(), 1u);
    EXPECT_EQ(host.balloons[0].text, L"RAMディスクを利用中のソフトウェアがあるため、無効にすることができません。");
    EXPECT_EQ(host.balloons[0].icon, BALLOON_ERROR);
    EXPECT_EQ(Get(path).Status.Mode, MODE_MEMORY);
    EXPECT_EQ(Get(path).Status.DiskOperation, OP_IDLE);
}

// ---- delete --------------------------------------------------------------------------------

TEST_F(SequencerTest, DeleteRemovesLinksThenCachesThenUnmountsThenDeletesSettings) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    CVelmoraEXData& disk = AddDisk(path, SAVE_AT_LOGOFF, MODE_MEMORY, L'R');
    disk.Vlinks.emplace_back(L"C:\\a", L"R:\\a", L"C:\\a.bak");
    disk.PendingVlinks.push_back(L"C:\\p");
    disk.Setting.CacheSetting.IEHistory = 1;
    disk.Setting.CacheSetting.ChromeCache = 1;
    On(TASK_VLINK, [](CVMUThreadTaskHeader& t) { static_cast<CVMUThreadTaskVlinkEX&>(t).Links.clear(); });
    seq.DeleteDisk(path);
    RunWorker();
    ASSERT_EQ(Order(), (Steps{{TASK_VLINK, OP_DELETE_LINKS},
                              {TASK_BROWSER_SETTING, OP_DELETE_BROWSER},
                              {TASK_UNMOUNT, OP_DELETE_UNMOUNT},
                              {TASK_SETTING_DELETE, OP_DELETE_SETTINGS}}));
    EXPECT_EQ(ran[0].sub, 1);
    // The removal gets the pending link as a record with only its source folder.
    EXPECT_EQ(ran[0].links,
              (std::vector<CVelmoraEXVlinkData>{{L"C:\\a", L"R:\\a", L"C:\\a.bak"}, {L"C:\\p", L"", L""}}));
    EXPECT_TRUE(ran[0].pending.empty());
    EXPECT_EQ(ran[1].switchOn, 0);
    EXPECT_EQ(ran[1].request.IEHistory, 1);
    EXPECT_EQ(ran[1].request.ChromeCache, 1);
    EXPECT_EQ(ran[1].request.IECache, 0);
    EXPECT_EQ(ran[2].save, 0);
    EXPECT_TRUE(manager.Disks().empty());
    EXPECT_EQ(host.removedRows, std::vector<std::wstring>{path});
    ASSERT_FALSE(host.balloons.empty());
    EXPECT_EQ(host.balloons.back().text, L"削除しました");
    EXPECT_EQ(host.balloons.back().title, kDisk);
}

TEST_F(SequencerTest, DeleteOfABareDisabledDiskOnlyDeletesSettings) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    AddDisk(path);
    On(TASK_SETTING_DELETE,
       [](CVMUThreadTaskHeader& t) { static_cast<CVMUThreadTaskSettingDeleteEx&>(t).RestartNeeded = 1; });
    host.answers = {IDYES};
    seq.DeleteDisk(path);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_SETTING_DELETE, OP_DELETE_SETTINGS}}));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, L"RAMディスクを削除するには再起動が必要です。\n今すぐ再起動しますか？");
    EXPECT_EQ(host.boxes[0].style, static_cast<UINT>(MB_YESNO | MB_ICONHAND));
    EXPECT_EQ(host.restarts, 1);
    EXPECT_TRUE(manager.Disks().empty());
}

TEST_F(SequencerTest, DeleteStopsWhenLinksCannotBeRemovedOrTheBrowserTaskIsRefused) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    CVelmoraEXData& disk = AddDisk(path, SAVE_NONE, MODE_MEMORY, L'R');
    disk.Vlinks.emplace_back(L"C:\\a", L"R:\\a", L"C:\\a.bak");
    disk.Vlinks.emplace_back(L"C:\\b", L"R:\\b", L"C:\\b.bak");
    disk.Setting.CacheSetting.FirefoxCache = 1;
    // a went, b did not: the disk keeps b and nothing else is deleted.
    On(TASK_VLINK, [](CVMUThreadTaskHeader& t) {
        auto& links = static_cast<CVMUThreadTaskVlinkEX&>(t);
        links.Links.erase(links.Links.begin());
        t.Result = -1;
    });
    seq.DeleteDisk(path);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_VLINK, OP_DELETE_LINKS}}));
    ASSERT_EQ(manager.Disks().size(), 1u);
    EXPECT_EQ(Get(path).Vlinks, (std::vector<CVelmoraEXVlinkData>{{L"C:\\b", L"R:\\b", L"C:\\b.bak"}}));
    EXPECT_EQ(Get(path).Status.DiskOperation, OP_IDLE);
    EXPECT_TRUE(host.removedRows.empty());

    host.refuseType = TASK_BROWSER_SETTING;
    ran.clear();
    On(TASK_VLINK, [](CVMUThreadTaskHeader& t) { static_cast<CVMUThreadTaskVlinkEX&>(t).Links.clear(); });
    seq.DeleteDisk(path);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_VLINK, OP_DELETE_LINKS}}));
    EXPECT_EQ(manager.Disks().size(), 1u);
    EXPECT_TRUE(Get(path).Vlinks.empty());
    EXPECT_EQ(Get(path).Status.DiskOperation, OP_IDLE);
    ASSERT_FALSE(host.balloons.empty());
    EXPECT_EQ(host.balloons.back().text,
              L"他の処理の実行中です\n操作の前に処理中でないことを確認し、もう一度設定してください。");
}

TEST_F(SequencerTest, DeleteOfADiskInUseIsFinishedAtTheNextStart) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    CVelmoraEXData& disk = AddDisk(path, SAVE_NONE, MODE_MEMORY, L'R');
    USettingsFile::WriteRamDisk(path, disk.Setting);
    On(TASK_UNMOUNT, [](CVMUThreadTaskHeader& t) { t.Result = 0x6001; });
    host.answers = {IDNO};
    seq.DeleteDisk(path);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_UNMOUNT, OP_DELETE_UNMOUNT}}));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text,
              L"RAMディスクを利用中のソフトウェアがあるため、設定の削除を完了するには、"
              L"コンピュータを再起動する必要があります。\n今すぐ再起動しますか？");
    EXPECT_EQ(host.boxes[0].style, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(host.restarts, 0);
    EXPECT_TRUE(manager.Disks().empty());
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(USettingsPaths::GetPendingDeletionPath(path).c_str()), INVALID_FILE_ATTRIBUTES);
}

// ---- settings changes ----------------------------------------------------------------------

CVelmoraEXPropertyData Change(const CVelmoraEXData& disk, const std::function<void(CVelmoraEXSettingData&)>& edit) {
    CVelmoraEXPropertyData p;
    p.OldSetting = disk.Setting;
    p.NewSetting = disk.Setting;
    edit(p.NewSetting);
    p.SettingsPath = disk.Status.SettingsPath;
    p.FromSheet = 1;
    p.ComputeChanges(disk.Status.Mode != MODE_NOT_MOUNTED);
    return p;
}

TEST_F(SequencerTest, SizeChangeOfAMountedDiskRecreatesItWithoutSaving) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    CVelmoraEXData disk = AddDisk(path, SAVE_AT_LOGOFF, MODE_MEMORY, L'R');
    seq.BeginSettingsChange(Change(disk, [](CVelmoraEXSettingData& s) { s.DriveSize = 64u << 20; }));
    RunWorker();
    ASSERT_EQ(Order(), (Steps{{TASK_UNMOUNT, OP_SETTINGS_UNMOUNT},
                              {TASK_SETTING, OP_SETTINGS_WRITE},
                              {TASK_MOUNT, OP_ENABLE_MOUNT_RECREATED},
                              {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    EXPECT_EQ(ran[0].save, 0);
    EXPECT_EQ(ran[0].toNewImage, 0);
    EXPECT_EQ(ran[2].recreated, 1);
    EXPECT_EQ(ran[2].retry, 0);
    EXPECT_EQ(ran[2].errorBox, 1);
    EXPECT_EQ(Get(path).Setting.DriveSize, 64u << 20);
    EXPECT_EQ(seq.PendingChange(), nullptr);
    ASSERT_FALSE(host.balloons.empty());
    EXPECT_EQ(host.balloons[1].title, L"VelmoraEX RAMディスクを作成しました");
    EXPECT_EQ(host.balloons[1].text, L"ドライブレター ： R:\n容量 ： 64MB");
}

TEST_F(SequencerTest, BackupSwitchedOnForARunningDiskSavesIntoTheNewImage) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    CVelmoraEXData disk = AddDisk(path, SAVE_NONE, MODE_MEMORY, L'R');
    CVelmoraEXPropertyData p = Change(disk, [&](CVelmoraEXSettingData& s) {
        s.SaveType = SAVE_AT_LOGOFF;
        s.BackupBaseDir = scratch.Path() + L"\\Backup0";
    });
    ASSERT_TRUE(p.IsBackupOnlySwitchedOn());
    seq.BeginSettingsChange(p);
    RunWorker();
    ASSERT_EQ(Order(), (Steps{{TASK_UNMOUNT, OP_SETTINGS_UNMOUNT},
                              {TASK_SETTING, OP_SETTINGS_WRITE},
                              {TASK_MOUNT, OP_ENABLE_MOUNT_IMAGE},
                              {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    EXPECT_EQ(ran[0].toNewImage, 1);
    EXPECT_EQ(ran[0].save, 1);
    EXPECT_EQ(ran[0].property.NewSetting.SaveType, SAVE_AT_LOGOFF);
    EXPECT_EQ(ran[0].property.SettingsPath, path);
    EXPECT_EQ(ran[2].recreated, 0);
}

TEST_F(SequencerTest, CacheOnlyChangesNeverUnmount) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    CVelmoraEXData disk = AddDisk(path, SAVE_AT_LOGOFF, MODE_MEMORY, L'R');
    seq.BeginSettingsChange(Change(disk, [](CVelmoraEXSettingData& s) { s.CacheSetting.ChromeCache = 1; }));
    RunWorker();
    ASSERT_EQ(Order(), (Steps{{TASK_SETTING, OP_SETTINGS_WRITE}, {TASK_BROWSER_SETTING, OP_SETTINGS_BROWSER_ON}}));
    EXPECT_EQ(ran[1].switchOn, 1);
    EXPECT_EQ(ran[1].request.ChromeCache, 1);

    ran.clear();
    disk = Get(path);
    seq.BeginSettingsChange(Change(disk, [](CVelmoraEXSettingData& s) { s.CacheSetting.ChromeCache = 0; }));
    RunWorker();
    ASSERT_EQ(Order(), (Steps{{TASK_BROWSER_SETTING, OP_SETTINGS_BROWSER_OFF}, {TASK_SETTING, OP_SETTINGS_WRITE}}));
    EXPECT_EQ(ran[0].switchOn, 0);
    EXPECT_EQ(Get(path).Setting.CacheSetting.ChromeCache, 0);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(seq.PendingChange(), nullptr);
}

// ---- browser caches ------------------------------------------------------------------------

CVelmoraEXCacheSettingData Caches(int32_t ie, int32_t history, int32_t firefox, int32_t chrome) {
    CVelmoraEXCacheSettingData c;
    c.IECache = ie, c.IEHistory = history, c.FirefoxCache = firefox, c.ChromeCache = chrome;
    return c;
}

bool operator==(const CVelmoraEXCacheSettingData& a, const CVelmoraEXCacheSettingData& b) {
    return a.IECache == b.IECache && a.IEHistory == b.IEHistory && a.FirefoxCache == b.FirefoxCache &&
           a.ChromeCache == b.ChromeCache;
}

const std::wstring kIEMoved =
    L"インターネット一時ファイル、履歴の設定を変更しました。\n次回ログオン時から有効になります。";

// The enable and resume chains with a browser step (the stand-in test below runs the others): the
// step's place, its task's fields, and balloon 3110 only when an Internet Explorer folder moved.
TEST_F(SequencerTest, EnableAndResumeAnnounceOnlyMovedIEFolders) {
    struct Case {
        const char* what;
        bool resume;
        int32_t saveType;
        CVelmoraEXCacheSettingData caches, outcome;
        Steps order;
        int32_t noBackup;
        bool announced;
    } cases[] = {
        {"enable with a backup, only Firefox and Chrome moved",
         false,
         SAVE_AT_LOGOFF,
         Caches(0, 0, 1, 1),
         Caches(0, 0, 1, 1),
         {{TASK_MOUNT, OP_ENABLE_MOUNT_IMAGE},
          {TASK_BROWSER_SETTING, OP_ENABLE_BROWSER},
          {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}},
         0,
         false},
        {"resume without a backup, history moved",
         true,
         SAVE_NONE,
         Caches(0, 1, 1, 0),
         Caches(0, 1, 0, 0),
         {{TASK_BROWSER_SETTING, OP_RESUME_BROWSER}, {TASK_RAM_FOLDER, OP_RESUME_RAM_FOLDER}},
         1,
         true},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::wstring path = PathOf((L"VelmoraEX" + std::to_wstring(n++) + L".ini").c_str());
        CVelmoraEXData& disk =
            AddDisk(path, c.saveType, c.resume ? MODE_MEMORY : MODE_NOT_MOUNTED, c.resume ? L'R' : 0);
        disk.Setting.CacheSetting = c.caches;
        disk.Status.StartupVisited = c.resume ? 0 : 1;
        const CVelmoraEXCacheSettingData outcome = c.outcome;
        On(TASK_BROWSER_SETTING,
           [outcome](CVMUThreadTaskHeader& t) { static_cast<CVMUThreadTaskBrowserSettingEX&>(t).Outcome = outcome; });
        ran.clear();
        host.balloons.clear();
        if (c.resume)
            seq.StartupPass();
        else
            seq.EnableDisk(path);
        RunWorker();
        ASSERT_EQ(Order(), c.order) << c.what;
        const Ran& b = ran[c.resume ? 0 : 1];
        EXPECT_TRUE(b.request == c.caches) << c.what;
        EXPECT_EQ(b.switchOn, 1) << c.what;
        EXPECT_EQ(b.noBackup, c.noBackup) << c.what;
        EXPECT_EQ(b.drive, L'R') << c.what;
        int announced = 0;
        for (const BalloonShown& shown : host.balloons) {
            if (shown.text != kIEMoved) continue;
            ++announced;
            EXPECT_EQ(shown.title, kApp) << c.what;
            EXPECT_EQ(shown.icon, BALLOON_INFO) << c.what;
        }
        EXPECT_EQ(announced, c.announced ? 1 : 0) << c.what;
        EXPECT_EQ(Get(path).Status.DiskOperation, OP_IDLE) << c.what;
    }
}

// A browser step the worker does not take ends its chain with the busy notice: the enable stops
// with the disk up, a settings change is dropped (never finished as if the caches had moved).
TEST_F(SequencerTest, RefusedBrowserStepEndsItsChain) {
    struct Case {
        const char* what;
        int32_t mode;
        CVelmoraEXCacheSettingData before, after;
        Steps order;
    } cases[] = {
        {"enable", MODE_NOT_MOUNTED, Caches(0, 0, 1, 0), {}, {{TASK_MOUNT, OP_ENABLE_MOUNT}}},
        {"change, caches off", MODE_MEMORY, Caches(1, 0, 0, 0), Caches(0, 0, 0, 0), {}},
        {"change, caches on", MODE_MEMORY, Caches(0, 0, 0, 0), Caches(1, 0, 0, 0), {{TASK_SETTING, OP_SETTINGS_WRITE}}},
    };
    host.refuseType = TASK_BROWSER_SETTING;
    int n = 0;
    for (const Case& c : cases) {
        const std::wstring path = PathOf((L"VelmoraEX" + std::to_wstring(n++) + L".ini").c_str());
        CVelmoraEXData& disk = AddDisk(path, SAVE_NONE, c.mode, c.mode == MODE_NOT_MOUNTED ? 0 : L'R');
        disk.Setting.CacheSetting = c.before;
        ran.clear();
        host.balloons.clear();
        host.boxes.clear();
        host.answers = {IDYES};
        if (c.mode == MODE_NOT_MOUNTED) {
            seq.EnableDisk(path);
        } else {
            const CVelmoraEXCacheSettingData after = c.after;
            seq.BeginSettingsChange(Change(Get(path), [after](CVelmoraEXSettingData& s) { s.CacheSetting = after; }));
        }
        RunWorker();
        EXPECT_EQ(Order(), c.order) << c.what;
        ASSERT_FALSE(host.balloons.empty()) << c.what;
        EXPECT_EQ(host.balloons.back().text,
                  L"他の処理の実行中です\n操作の前に処理中でないことを確認し、もう一度設定してください。")
            << c.what;
        EXPECT_TRUE(host.boxes.empty()) << c.what << ": no restart offered for caches that did not move";
        EXPECT_EQ(host.restarts, 0) << c.what;
        EXPECT_EQ(seq.PendingChange(), nullptr) << c.what;
        EXPECT_EQ(Get(path).Status.DiskOperation, OP_IDLE) << c.what;
    }
}

TEST_F(SequencerTest, IECacheChangeOffersARestart) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    CVelmoraEXData disk = AddDisk(path, SAVE_AT_LOGOFF, MODE_MEMORY, L'R');
    host.answers = {IDYES};
    seq.BeginSettingsChange(Change(disk, [](CVelmoraEXSettingData& s) { s.CacheSetting.IEHistory = 1; }));
    RunWorker();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text,
              L"Internet Explorerのインターネット一時ファイル、履歴の設定を変更するには、コンピュータを再起動する必要が"
              L"あります。\n今すぐ再起動しますか？");
    EXPECT_EQ(host.boxes[0].style, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(host.restarts, 1);
}

TEST_F(SequencerTest, FailedSettingsTaskCanBeRetriedOrRollsANewDiskBack) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    CVelmoraEXPropertyData p;
    p.IsNew = 1;
    p.FromSheet = 1;
    p.NeedsRemount = 1;
    p.SettingsPath = path;
    p.NewSetting.DriveSize = 16u << 20;
    p.NewSetting.DriveLetter = 'Q';
    auto fail = [](CVMUThreadTaskHeader& t) {
        t.Result = -1;
        t.Message = L"フォーマットに失敗しました。(3)";
    };
    On(TASK_SETTING, fail);
    On(TASK_SETTING, fail);
    host.answers = {IDRETRY, IDCANCEL};
    seq.BeginSettingsChange(p);
    EXPECT_EQ(host.rows, std::vector<std::wstring>{path});
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_SETTING, OP_SETTINGS_WRITE_NEW}, {TASK_SETTING, OP_SETTINGS_WRITE_NEW}}));
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].text, L"フォーマットに失敗しました。(3)");
    EXPECT_EQ(host.boxes[0].style, static_cast<UINT>(MB_RETRYCANCEL | MB_ICONHAND));
    EXPECT_TRUE(manager.Disks().empty());
    EXPECT_EQ(host.removedRows, std::vector<std::wstring>{path});
    EXPECT_EQ(seq.PendingChange(), nullptr);

    // Not from the sheet: an error balloon, whatever the balloon options say.
    host.balloonsAllowed = false;
    p.FromSheet = 0;
    ran.clear();
    On(TASK_SETTING, fail);
    seq.BeginSettingsChange(p);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_SETTING, OP_SETTINGS_WRITE_NEW}}));
    ASSERT_EQ(host.balloons.size(), 1u);
    EXPECT_EQ(host.balloons[0].title, kApp);
    EXPECT_TRUE(manager.Disks().empty());
}

TEST_F(SequencerTest, NewDiskIsAddedWrittenAndMounted) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    CVelmoraEXPropertyData p;
    p.IsNew = 1;
    p.NeedsRemount = 1;
    p.SettingsPath = path;
    p.NewSetting.DriveSize = 16u << 20;
    p.NewSetting.DriveLetter = 'Q';
    seq.BeginSettingsChange(p);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_SETTING, OP_SETTINGS_WRITE_NEW},
                              {TASK_MOUNT, OP_ENABLE_MOUNT},
                              {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    EXPECT_EQ(Get(path).Status.CurrentLetter, L'Q');

    // A status list that refuses the row leaves nothing behind and posts nothing.
    host.refuseRow = true;
    ran.clear();
    p.SettingsPath = PathOf(L"VelmoraEX1.ini");
    seq.BeginSettingsChange(p);
    EXPECT_TRUE(host.queue.empty());
    EXPECT_EQ(manager.Disks().size(), 1u);
    EXPECT_EQ(seq.PendingChange(), nullptr);
}

TEST_F(SequencerTest, UnmountFailureDuringAChangeRetriesOrDefersTheChange) {
    const std::wstring path = PathOf(L"VelmoraEX0.ini");
    CVelmoraEXData disk = AddDisk(path, SAVE_AT_LOGOFF, MODE_MEMORY, L'R');
    CVelmoraEXPropertyData p = Change(disk, [](CVelmoraEXSettingData& s) { s.DriveLetter = 'T'; });

    // Contents cannot be saved: Retry, then Cancel rolls back.
    On(TASK_UNMOUNT, [](CVMUThreadTaskHeader& t) { t.Result = 0x2000; });
    On(TASK_UNMOUNT, [](CVMUThreadTaskHeader& t) { t.Result = 0x2000; });
    host.answers = {IDRETRY, IDCANCEL};
    seq.BeginSettingsChange(p);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_UNMOUNT, OP_SETTINGS_UNMOUNT}, {TASK_UNMOUNT, OP_SETTINGS_UNMOUNT}}));
    EXPECT_EQ(ran[0].save, 1);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].caption, kDisk);
    EXPECT_EQ(host.boxes[0].text, L"バックアップファイルを保存できませんでした。\n再試行しますか？");
    EXPECT_EQ(host.boxes[0].style, static_cast<UINT>(MB_RETRYCANCEL | MB_ICONHAND));
    EXPECT_EQ(seq.PendingChange(), nullptr);
    EXPECT_EQ(Get(path).Setting.DriveLetter, 'R');

    // Disk in use: the change waits in the pending file for the next enable.
    ran.clear();
    host.boxes.clear();
    On(TASK_UNMOUNT, [](CVMUThreadTaskHeader& t) { t.Result = 0x6001; });
    host.answers = {IDNO};
    seq.BeginSettingsChange(p);
    RunWorker();
    EXPECT_EQ(Order(), (Steps{{TASK_UNMOUNT, OP_SETTINGS_UNMOUNT}}));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text,
              L"RAMディスクを利用中のソフトウェアがあるため、新しい設定を有効にするには、"
              L"コンピュータを再起動する必要があります。\n今すぐ再起動しますか？");
    EXPECT_EQ(host.boxes[0].style, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    CVelmoraEXSettingData deferred;
    USettingsFile::ReadRamDisk(USettingsPaths::GetPendingSettingsPath(path), deferred);
    EXPECT_EQ(deferred.DriveLetter, 'T');
    EXPECT_NE(GetFileAttributesW(disk.Setting.BackupBaseDir.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(seq.PendingChange(), nullptr);
    EXPECT_EQ(Get(path).Status.DiskOperation, OP_IDLE);
}

// ---- busy, start-up ------------------------------------------------------------------------

TEST_F(SequencerTest, RequestsWhileAnotherDiskIsBusyAreRefused) {
    const std::wstring busy = PathOf(L"VelmoraEX0.ini");
    const std::wstring other = PathOf(L"VelmoraEX1.ini");
    AddDisk(busy, SAVE_AT_LOGOFF, MODE_MEMORY, L'R');
    CVelmoraEXData idle = AddDisk(other, SAVE_AT_LOGOFF);
    manager.SetDiskOperation(busy, OP_SAVING);
    seq.EnableDisk(other);
    seq.BeginSettingsChange(Change(idle, [](CVelmoraEXSettingData& s) { s.DriveSize = 64u << 20; }));
    EXPECT_TRUE(host.queue.empty());
    ASSERT_EQ(host.balloons.size(), 2u);
    for (const BalloonShown& b : host.balloons) {
        EXPECT_EQ(b.text, L"他の処理の実行中です\n操作の前に処理中でないことを確認し、もう一度設定してください。");
        EXPECT_EQ(b.title, kApp);
        EXPECT_EQ(b.icon, BALLOON_ERROR);
    }
    EXPECT_EQ(Get(other).Status.DiskOperation, OP_IDLE);
    EXPECT_EQ(seq.PendingChange(), nullptr);

    // A worker that does not take the task: the caller keeps it and nothing is marked busy.
    manager.SetDiskOperation(busy, OP_IDLE);
    host.refusePost = true;
    CVMUThreadTaskRAMFolderEX* task = new CVMUThreadTaskRAMFolderEX;
    EXPECT_EQ(seq.PostTask(task, other, OP_ENABLE_RAM_FOLDER), POST_FAILED);
    delete task;
    EXPECT_EQ(Get(other).Status.DiskOperation, OP_IDLE);

    // Refused while a disk is busy: the task's old outcome is cleared, nothing is posted or marked.
    host.refusePost = false;
    manager.SetDiskOperation(busy, OP_SAVING);
    CVMUThreadTaskRAMFolderEX refused;
    refused.Result = 99;
    refused.Message = L"old";
    EXPECT_EQ(seq.PostTask(&refused, other, OP_ENABLE_RAM_FOLDER), POST_BUSY);
    EXPECT_EQ(refused.Result, 0);
    EXPECT_TRUE(refused.Message.empty());
    EXPECT_TRUE(host.queue.empty());
    EXPECT_EQ(Get(other).Status.DiskOperation, OP_IDLE);

    // Posted: the disk, named in any letter case, is marked and its row refreshed; no name marks nothing.
    manager.SetDiskOperation(busy, OP_IDLE);
    std::wstring upper = other;
    CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    EXPECT_EQ(seq.PostTask(new CVMUThreadTaskRAMFolderEX, upper, OP_ENABLE_RAM_FOLDER), POST_DONE);
    EXPECT_EQ(host.queue.size(), 1u);
    EXPECT_EQ(Get(other).Status.DiskOperation, OP_ENABLE_RAM_FOLDER);
    EXPECT_EQ(host.refreshed, std::vector<std::wstring>{upper});
    manager.SetDiskOperation(other, OP_IDLE);
    EXPECT_EQ(seq.PostTask(new CVMUThreadTaskRAMFolderEX, L"", OP_ENABLE_RAM_FOLDER), POST_DONE);
    EXPECT_EQ(host.queue.size(), 2u);
    EXPECT_EQ(manager.IsIdle(), 1);
}

TEST_F(SequencerTest, StartupPassResumesSurvivorsAndEnablesStartupDisks) {
    const std::wstring survivor = PathOf(L"VelmoraEX0.ini");
    const std::wstring startup = PathOf(L"VelmoraEX1.ini");
    const std::wstring manual = PathOf(L"VelmoraEX2.ini");
    const std::wstring failing = PathOf(L"VelmoraEX3.ini");
    CVelmoraEXData& survived = AddDisk(survivor, SAVE_AT_LOGOFF, MODE_MEMORY, L'S');
    survived.Setting.CacheSetting.FirefoxCache = 1;
    survived.Vlinks.emplace_back(L"C:\\a", L"\\Vlink\\a", L"C:\\a_Backup");
    survived.PendingVlinks.push_back(L"C:\\b");
    AddDisk(failing).Setting.LoadAtStartup = 1;
    AddDisk(manual);
    AddDisk(startup).Setting.LoadAtStartup = 1;
    On(TASK_MOUNT, [](CVMUThreadTaskHeader& t) { t.Result = -1; });
    seq.StartupPass();
    RunWorker();
    // The failed mount does not hold up the disks after it.
    EXPECT_EQ(Order(), (Steps{{TASK_BROWSER_SETTING, OP_RESUME_BROWSER},
                              {TASK_VLINK, OP_RESUME_LINKS},
                              {TASK_VLINK, OP_RESUME_PENDING_LINKS},
                              {TASK_RAM_FOLDER, OP_RESUME_RAM_FOLDER},
                              {TASK_MOUNT, OP_ENABLE_MOUNT},
                              {TASK_MOUNT, OP_ENABLE_MOUNT},
                              {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    EXPECT_EQ(notifier.arrivals, std::vector<wchar_t>{L'S'});
    ASSERT_EQ(ran.size(), 7u);
    EXPECT_EQ(ran[1].sub, 2);
    EXPECT_EQ(ran[2].sub, 3);
    EXPECT_EQ(ran[2].drive, L'S');
    for (const CVelmoraEXData& disk : manager.Disks()) {
        EXPECT_EQ(disk.Status.StartupVisited, 1);
        EXPECT_EQ(disk.Status.DiskOperation, OP_IDLE);
    }
    EXPECT_EQ(Get(startup).Status.Mode, MODE_MEMORY);
    EXPECT_EQ(Get(manual).Status.Mode, MODE_NOT_MOUNTED);
}

// ---- with links, every task for real -------------------------------------------------------

// The link commands through the real tools channel, started on VelmoraEXToolsProbe.exe, which
// answers each command with the record the test chose (real link creation cannot succeed
// under Wine).
class ProbeLinkCommands : public IVlinkCommands {
public:
    ProbeLinkCommands() : m_commands(prompt, Settings()) {}
    int CreateLink(wchar_t drive, const CVelmoraEXVlinkData& link) override {
        return m_commands.CreateLink(nullptr, drive, link);
    }
    int RemoveLink(wchar_t drive, const CVelmoraEXVlinkData& link) override {
        return m_commands.RemoveLink(nullptr, drive, link);
    }
    int Relink(wchar_t drive, const CVelmoraEXVlinkData& link) override {
        return m_commands.Relink(nullptr, drive, link);
    }
    CRecordingToolPrompt prompt;

private:
    static CToolLinkCommands::CSettings Settings() {
        CToolLinkCommands::CSettings settings;
        settings.toolsPath = toolsrun::ProbePath();
        return settings;
    }
    CToolLinkCommands m_commands;
};

const CVelmoraEXVlinkData kDocs(L"C:\\u\\Docs", L"\\Vlink\\Docs", L"C:\\u\\Docs_Backup");
const CVelmoraEXVlinkData kMusic(L"C:\\u\\Music", L"\\Vlink\\Music", L"C:\\u\\Music_Backup");
const CVelmoraEXVlinkData kLater(L"C:\\u\\Later", L"\\Vlink\\Later", L"C:\\u\\Later_Backup");

std::vector<uint8_t> Relinked() {
    CRelinkRecord r;
    r.junctionInPlace = r.folderReady = 1;
    return UToolResultRecords::Encode(r);
}
std::vector<uint8_t> Linked() {
    CCreateLinkRecord r;
    r.linked = r.junctioned = r.copied = r.renamed = 1;
    r.method = 2;
    return UToolResultRecords::Encode(r);
}
std::vector<uint8_t> Removed() {
    CRemoveLinkRecord r;
    r.method = 2;
    r.ramFolderFree = r.junctionRemoved = r.restoredFromCopy = 1;
    return UToolResultRecords::Encode(r);
}

// The mount, unmount and settings deletion against the real driver stand-in, the link tasks
// through the probe, the browser-cache task for real (Internet Explorer's folders through the
// shell-folder setter as Windows has it).
class SequencerStandin : public SequencerTest {
protected:
    void SetUp() override {
        const std::wstring pipe = L"VelmoraEXSequencerStandin-" + std::to_wstring(GetCurrentProcessId());
        UDriverPipeFrame::SetPipeName(pipe.c_str());
        ramDir = StandinRamDir(pipe, scratch / L"ram");
        ASSERT_TRUE(child.Start(L"--pipe-name " + pipe + L" --ram-dir \"" + ramDir + L"\" --no-startup-disks"));
        ASSERT_TRUE(CVelmoraAPI::IsDriverUp(10000));
        execute = true;
        host.linkCommands = &probeCommands;
        host.balloonsAllowed = false;

        path = PathOf(L"VelmoraEX0.ini");
        CVelmoraEXData& disk = AddDisk(path);
        disk.Status.StartupVisited = 1;
        disk.Setting.DriveLetter = kDriveLetterAutomatic;
        disk.Setting.FormatType = FORMAT_TYPE_FAT_AUTO;
        disk.Setting.CacheSetting.ChromeCache = 1;
        disk.Vlinks = {kDocs, kMusic};
        disk.PendingVlinks = {kLater.src};
        USettingsFile::WriteRamDisk(path, disk.Setting);
        USettingsFile::WriteVlink(path, disk.Vlinks);
        USettingsFile::WriteRVlink(path, disk.PendingVlinks);
    }
    void TearDown() override {
        child.End();
        UDriverPipeFrame::SetPipeName(nullptr);
        ScratchFolder::RemoveTree(ramDir);
    }

    // Executes the posted tasks; each task's type and the disk's operation code while it ran.
    Steps Run() {
        ran.clear();
        RunWorker();
        return Order();
    }

    bool MountedInStandin() {
        CStandinClient client;
        RamDiskStatus status{};
        return client.Query(path, 0, status) == 1;
    }

    void Enable() {
        seq.EnableDisk(path);
        ASSERT_EQ(Run(), (Steps{{TASK_MOUNT, OP_ENABLE_MOUNT},
                                {TASK_BROWSER_SETTING, OP_ENABLE_BROWSER},
                                {TASK_VLINK, OP_ENABLE_LINKS},
                                {TASK_VLINK, OP_ENABLE_PENDING_LINKS},
                                {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
        letter = Get(path).Status.CurrentLetter;
        ASSERT_NE(letter, 0);
        ASSERT_TRUE(MountedInStandin());
    }

    std::wstring ramDir, path;
    CStandinChild child;
    ProbeLinkCommands probeCommands;
    CProbeFolder probe;
    wchar_t letter = 0;
};

TEST_F(SequencerStandin, EnableRelinksThenCreatesPendingLinksAndDeleteRemovesThemFirst) {
    probe.Answer(0, Relinked());
    probe.Answer(1, Relinked());
    probe.Answer(2, Linked());
    Enable();
    auto commands = probe.Commands();
    ASSERT_EQ(commands.size(), 3u);
    const std::vector<CVelmoraEXVlinkData> sent = {kDocs, kMusic, kLater};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(commands[i].number, i < 2 ? TOOL_RELINK : TOOL_CREATE_LINK) << i;
        EXPECT_EQ(commands[i].drive, letter) << i;
        EXPECT_EQ(commands[i].link, sent[i]) << i;
    }
    CVelmoraEXData disk;
    ASSERT_TRUE(manager.FindDisk(path, disk));
    EXPECT_EQ(disk.Vlinks, sent);
    EXPECT_TRUE(disk.PendingVlinks.empty());
    std::vector<CVelmoraEXVlinkData> written;
    std::vector<std::wstring> writtenPending{L"x"};
    USettingsFile::ReadVlink(path, written);
    USettingsFile::ReadRVlink(path, writtenPending);
    EXPECT_EQ(written, sent);
    EXPECT_TRUE(writtenPending.empty());

    // Music's junction cannot be removed (the all-zero record): the others still come back,
    // and the delete stops with the disk, its contents and Music's link kept.
    probe.Answer(3, Removed());
    probe.Answer(5, Removed());
    seq.DeleteDisk(path);
    EXPECT_EQ(Run(), (Steps{{TASK_VLINK, OP_DELETE_LINKS}}));
    EXPECT_EQ(probe.Commands().size(), 6u);
    ASSERT_EQ(probeCommands.prompt.boxes.size(), 1u);
    EXPECT_EQ(probeCommands.prompt.boxes[0].text, L"仮想リンクを削除できません。(0x0)");
    ASSERT_TRUE(manager.FindDisk(path, disk));
    EXPECT_EQ(disk.Status.DiskOperation, OP_IDLE);
    EXPECT_EQ(disk.Vlinks, std::vector<CVelmoraEXVlinkData>{kMusic});
    USettingsFile::ReadVlink(path, written);
    EXPECT_EQ(written, std::vector<CVelmoraEXVlinkData>{kMusic});
    EXPECT_TRUE(MountedInStandin());

    probe.Answer(6, Removed());
    seq.DeleteDisk(path);
    EXPECT_EQ(Run(), (Steps{{TASK_VLINK, OP_DELETE_LINKS},
                            {TASK_BROWSER_SETTING, OP_DELETE_BROWSER},
                            {TASK_UNMOUNT, OP_DELETE_UNMOUNT},
                            {TASK_SETTING_DELETE, OP_DELETE_SETTINGS}}));
    commands = probe.Commands();
    ASSERT_EQ(commands.size(), 7u);
    for (size_t i = 3; i < 7; ++i) EXPECT_EQ(commands[i].number, TOOL_REMOVE_LINK) << i;
    EXPECT_EQ(commands[3].link, kDocs);
    EXPECT_EQ(commands[5].link, kLater);
    EXPECT_EQ(commands[6].link, kMusic);
    EXPECT_TRUE(manager.Disks().empty());
    EXPECT_FALSE(MountedInStandin());
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

int Announced(const std::vector<BalloonShown>& balloons) {
    int n = 0;
    for (const BalloonShown& b : balloons) n += b.text == kIEMoved ? 1 : 0;
    return n;
}

TEST_F(SequencerStandin, InternetExplorerFoldersFollowEnableResumeChangeAndDelete) {
    FakeShellFolderSetter setter;
    std::wstring cacheHome, historyHome, current;
    ASSERT_TRUE(UShellFolder::GetDefault(CSIDL_INTERNET_CACHE, cacheHome));
    ASSERT_TRUE(UShellFolder::GetDefault(CSIDL_HISTORY, historyHome));
    auto& disk = const_cast<CVelmoraEXData&>(manager.Disks().back());
    disk.Vlinks.clear();
    disk.PendingVlinks.clear();
    disk.Setting.CacheSetting.IECache = 1;
    disk.Setting.CacheSetting.IEHistory = 1;
    USettingsFile::WriteRamDisk(path, disk.Setting);
    USettingsFile::WriteVlink(path, {});
    USettingsFile::WriteRVlink(path, {});
    host.balloonsAllowed = true;

    seq.EnableDisk(path);
    ASSERT_EQ(Run(), (Steps{{TASK_MOUNT, OP_ENABLE_MOUNT},
                            {TASK_BROWSER_SETTING, OP_ENABLE_BROWSER},
                            {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    letter = Get(path).Status.CurrentLetter;
    ASSERT_NE(letter, 0);
    EXPECT_EQ(ran[1].drive, letter);
    EXPECT_TRUE(ran[1].request == Caches(1, 1, 0, 1));
    EXPECT_EQ(ran[1].switchOn, 1);
    EXPECT_EQ(ran[1].noBackup, 1);
    EXPECT_EQ(Announced(host.balloons), 1);
    const std::wstring root = std::wstring(1, letter) + L":\\";
    // The RAM disk's volume, as Windows would have it, for the steps that find the folders there.
    const std::wstring volume = scratch / L"volume";
    ASSERT_TRUE(ScratchFolder::MakeFolder(volume));
    WineDriveLetter drive(letter, volume);
    ASSERT_TRUE(drive.Works());
    ASSERT_TRUE(UShellFolder::GetCurrent(CSIDL_INTERNET_CACHE, current));
    EXPECT_EQ(current, root + L"Temporary Internet Files");
    ASSERT_TRUE(UShellFolder::GetCurrent(CSIDL_HISTORY, current));
    EXPECT_EQ(current, root + L"History");

    // After a log-off the disk is resumed: the folders are made again, nothing moves.
    disk.Status.StartupVisited = 0;
    host.balloons.clear();
    seq.StartupPass();
    EXPECT_EQ(Run(), (Steps{{TASK_BROWSER_SETTING, OP_RESUME_BROWSER}, {TASK_RAM_FOLDER, OP_RESUME_RAM_FOLDER}}));
    EXPECT_EQ(ran[0].noBackup, 1);
    EXPECT_EQ(Announced(host.balloons), 0);
    EXPECT_TRUE(ScratchFolder::Exists(volume + L"\\Temporary Internet Files\\low"));

    // The history off and on again through the settings sheet; the restart question is declined.
    host.answers = {IDNO, IDNO};
    seq.BeginSettingsChange(Change(Get(path), [](CVelmoraEXSettingData& s) { s.CacheSetting.IEHistory = 0; }));
    EXPECT_EQ(Run(), (Steps{{TASK_BROWSER_SETTING, OP_SETTINGS_BROWSER_OFF}, {TASK_SETTING, OP_SETTINGS_WRITE}}));
    EXPECT_TRUE(ran[0].request == Caches(0, 1, 0, 0));
    EXPECT_EQ(ran[0].switchOn, 0);
    EXPECT_EQ(ran[0].noBackup, 0);
    ASSERT_TRUE(UShellFolder::GetCurrent(CSIDL_HISTORY, current));
    EXPECT_EQ(current, historyHome);
    seq.BeginSettingsChange(Change(Get(path), [](CVelmoraEXSettingData& s) { s.CacheSetting.IEHistory = 1; }));
    EXPECT_EQ(Run(), (Steps{{TASK_SETTING, OP_SETTINGS_WRITE}, {TASK_BROWSER_SETTING, OP_SETTINGS_BROWSER_ON}}));
    EXPECT_TRUE(ran[1].request == Caches(0, 1, 0, 0));
    EXPECT_EQ(ran[1].switchOn, 1);
    ASSERT_TRUE(UShellFolder::GetCurrent(CSIDL_HISTORY, current));
    EXPECT_EQ(current, root + L"History");
    EXPECT_EQ(host.boxes.size(), 2u) << "each IE change offers the restart";
    EXPECT_EQ(Announced(host.balloons), 0);

    seq.DeleteDisk(path);
    EXPECT_EQ(Run(), (Steps{{TASK_BROWSER_SETTING, OP_DELETE_BROWSER},
                            {TASK_UNMOUNT, OP_DELETE_UNMOUNT},
                            {TASK_SETTING_DELETE, OP_DELETE_SETTINGS}}));
    EXPECT_TRUE(ran[0].request == Caches(1, 1, 0, 1));
    EXPECT_EQ(ran[0].switchOn, 0);
    EXPECT_EQ(ran[0].noBackup, 0);
    EXPECT_EQ(Announced(host.balloons), 1);
    ASSERT_TRUE(UShellFolder::GetCurrent(CSIDL_INTERNET_CACHE, current));
    EXPECT_EQ(current, cacheHome);
    ASSERT_TRUE(UShellFolder::GetCurrent(CSIDL_HISTORY, current));
    EXPECT_EQ(current, historyHome);
    EXPECT_TRUE(manager.Disks().empty());
    EXPECT_FALSE(MountedInStandin());
}

// The files of a folder (one level), name and bytes.
std::map<std::wstring, std::vector<char>> FilesOf(const std::wstring& folder) {
    std::map<std::wstring, std::vector<char>> files;
    WIN32_FIND_DATAW found;
    CFindHandle find;
    for (bool more = find.First((folder + L"\\*").c_str(), found); more; more = find.Next(found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[found.cFileName] = ScratchFolder::Read(folder + L"\\" + found.cFileName);
    return files;
}

// The folder the stand-in mounted a drive's volume at, seen from the Windows side of Wine.
std::wstring MountFolder(const std::wstring& ramDir, wchar_t letter) {
    WIN32_FIND_DATAW found;
    CFindHandle find;
    return find.First((ramDir + L"\\*." + std::wstring(1, letter) + L".mnt").c_str(), found)
               ? ramDir + L"\\" + found.cFileName
               : std::wstring();
}

wchar_t FreeLetter(wchar_t from) {
    const DWORD used = GetLogicalDrives();
    for (wchar_t letter = from; letter <= L'Y'; ++letter)
        if (!(used & (1u << (letter - L'A')))) return letter;
    return 0;
}

// Firefox's cache on a real RAM-disk drive: a new NTFS disk with a backup, the cache switched on,
// the disk disabled and enabled again, the cache switched off.
TEST_F(SequencerStandin, FirefoxCacheLivesOnTheDriveThroughDisableAndEnable) {
    if (UStandinUnixSide::RunScript(UStandinMountScripts::Probe(), 60000) != 0)
        GTEST_SKIP() << "FUSE, ntfs-3g or fusefat missing here";
    const std::wstring home = scratch / L"home";
    const std::wstring firefox = home + L"\\Mozilla\\Firefox";
    const std::wstring profile = firefox + L"\\Profiles\\k3x9w.default";
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, profile.c_str(), nullptr), ERROR_SUCCESS);
    struct AppData {
        explicit AppData(const std::wstring& folder) {
            wchar_t old[MAX_PATH] = {};
            if (GetEnvironmentVariableW(L"APPDATA", old, MAX_PATH)) previous = old;
            SetEnvironmentVariableW(L"APPDATA", folder.c_str());
        }
        ~AppData() { SetEnvironmentVariableW(L"APPDATA", previous.empty() ? nullptr : previous.c_str()); }
        std::wstring previous;
    } appData(home);
    const std::pair<std::wstring, std::string> profileFiles[] = {
        {firefox + L"\\profiles.ini",
         "[General]\r\nStartWithLastProfile=1\r\n\r\n[Profile0]\r\nName=default\r\nIsRelative=1\r\n"
         "Path=Profiles/k3x9w.default\r\nDefault=1\r\n"},
        {profile + L"\\prefs.js",
         "// Mozilla User Preferences\n\nuser_pref(\"browser.startup.homepage\", \"about:home\");\n"
         "user_pref(\"browser.download.dir\", \"C:\\\\ダウンロード\");\n"},
        {profile + L"\\user.js",
         "user_pref(\"browser.cache.memory.enable\", false);\r\nuser_pref(\"general.smoothScroll\", true);"},
    };
    for (const auto& file : profileFiles)
        ASSERT_TRUE(ScratchFolder::Write(file.first, std::vector<char>(file.second.begin(), file.second.end())));
    const auto rootBefore = FilesOf(firefox), profileBefore = FilesOf(profile);

    // A new disk, as the settings sheet hands it over.
    ASSERT_TRUE(EnsureDataFolder());
    const wchar_t drive = FreeLetter(L'R');
    ASSERT_NE(drive, 0);
    CVelmoraEXData fresh;
    manager.InitNewDisk(fresh);
    CVelmoraEXPropertyData create;
    create.IsNew = 1;
    create.NeedsRemount = 1;
    create.FromSheet = 1;
    create.SettingsPath = path = fresh.Status.SettingsPath;
    create.NewSetting = fresh.Setting;
    create.NewSetting.DriveSize = 32u << 20;
    create.NewSetting.DriveLetter = static_cast<unsigned char>(drive);
    create.NewSetting.LoadAtStartup = 0;
    ASSERT_EQ(create.NewSetting.FormatType, FORMAT_TYPE_NTFS);
    ASSERT_NE(create.NewSetting.SaveType, SAVE_NONE);
    seq.BeginSettingsChange(create);
    ASSERT_EQ(Run(), (Steps{{TASK_SETTING, OP_SETTINGS_WRITE_NEW},
                            {TASK_MOUNT, OP_ENABLE_MOUNT_IMAGE},
                            {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    ASSERT_EQ(Get(path).Status.CurrentLetter, drive);
    const std::wstring root = std::wstring(1, drive) + L":\\";
    ASSERT_EQ(GetDriveTypeW(root.c_str()), static_cast<UINT>(DRIVE_RAMDISK)) << "the disk is a drive";
    const std::wstring mounted = MountFolder(ramDir, drive);
    ASSERT_FALSE(mounted.empty());

    seq.BeginSettingsChange(Change(Get(path), [](CVelmoraEXSettingData& s) { s.CacheSetting.FirefoxCache = 1; }));
    ASSERT_EQ(Run(), (Steps{{TASK_SETTING, OP_SETTINGS_WRITE}, {TASK_BROWSER_SETTING, OP_SETTINGS_BROWSER_ON}}));
    EXPECT_TRUE(ran[1].request == Caches(0, 0, 1, 0));
    const std::wstring cache = root + L"Cache";
    EXPECT_EQ(UBrowserFirefox::GetCacheParent(profile), cache);
    EXPECT_TRUE(ScratchFolder::Exists(mounted + L"\\Cache")) << "the folder is in the mounted volume";

    // What Firefox writes there goes into the volume, and with the disk's backup survives it.
    const std::vector<std::pair<std::wstring, size_t>> cached = {
        {L"\\Cache\\_CACHE_MAP_", 4096}, {L"\\Cache\\0\\1A\\2B3C4d01", 300000}, {L"\\Cache\\キャッシュ索引", 17}};
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, (cache + L"\\Cache\\0\\1A").c_str(), nullptr), ERROR_SUCCESS);
    for (size_t i = 0; i < cached.size(); ++i) {
        const std::vector<uint8_t> bytes = Pattern(cached[i].second, static_cast<unsigned>(i) + 1);
        ASSERT_TRUE(ScratchFolder::Write(cache + cached[i].first, std::vector<char>(bytes.begin(), bytes.end())));
    }

    seq.DisableDisk(path);
    ASSERT_EQ(Run(), (Steps{{TASK_UNMOUNT, OP_DISABLE_UNMOUNT}}));
    EXPECT_EQ(ran[0].save, 1);
    EXPECT_FALSE(MountedInStandin());
    EXPECT_EQ(GetDriveTypeW(root.c_str()), static_cast<UINT>(DRIVE_NO_ROOT_DIR));

    seq.EnableDisk(path);
    ASSERT_EQ(Run(), (Steps{{TASK_MOUNT, OP_ENABLE_MOUNT_IMAGE},
                            {TASK_BROWSER_SETTING, OP_ENABLE_BROWSER},
                            {TASK_RAM_FOLDER, OP_ENABLE_RAM_FOLDER}}));
    ASSERT_EQ(GetDriveTypeW(root.c_str()), static_cast<UINT>(DRIVE_RAMDISK));
    EXPECT_TRUE(ScratchFolder::Exists(MountFolder(ramDir, drive) + L"\\Cache\\Cache"));
    for (size_t i = 0; i < cached.size(); ++i)
        EXPECT_EQ(FileBytes(cache + cached[i].first, 0, cached[i].second + 1),
                  Pattern(cached[i].second, static_cast<unsigned>(i) + 1))
            << i;
    EXPECT_EQ(UBrowserFirefox::GetCacheParent(profile), cache);

    seq.BeginSettingsChange(Change(Get(path), [](CVelmoraEXSettingData& s) { s.CacheSetting.FirefoxCache = 0; }));
    ASSERT_EQ(Run(), (Steps{{TASK_BROWSER_SETTING, OP_SETTINGS_BROWSER_OFF}, {TASK_SETTING, OP_SETTINGS_WRITE}}));
    EXPECT_TRUE(FilesOf(profile) == profileBefore) << "the profile's files are as before, byte for byte";
    EXPECT_TRUE(FilesOf(firefox) == rootBefore);
    EXPECT_EQ(UBrowserFirefox::GetCacheParent(profile), L"");
    EXPECT_FALSE(ScratchFolder::Exists(cache + L"\\Cache"));
    EXPECT_TRUE(ScratchFolder::Exists(cache));

    seq.DeleteDisk(path);
    Run();
    CVelmoraEXData gone;
    EXPECT_EQ(manager.FindDisk(path, gone), 0);
    EXPECT_FALSE(MountedInStandin());
}

}  // namespace
