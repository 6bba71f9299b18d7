// The enable and delete chains of a disk with virtual links, with every task executed for real:
// the mount, unmount and settings deletion against the real driver stand-in, the link tasks
// through the real tools channel and VelmoraEXToolsProbe.exe (the tools program answering with
// the records each case chose; real link creation cannot succeed under Wine). Only the
// browser-cache step, whose task this build lacks, is a recorded stand-in.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "common/ToolResultRecords.h"
#include "framework/ScratchFolder.h"
#include "standin/StandinHarness.h"
#include "tests/tools/ToolsRunner.h"
#include "tests/utility/tools_channel/ProbeFolder.h"
#include "tests/utility/tools_channel/RecordingToolPrompt.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/VMUThreadTaskVlinkEX.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/core/VlinkCommands.h"
#include "utility/tools_channel/ToolLinkCommands.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/ui/SequencerHost.h"

namespace {

class RecordedBrowserTask : public CVMUThreadTaskHeader {
public:
    RecordedBrowserTask() : CVMUThreadTaskHeader(TASK_BROWSER_SETTING) {}
    void Execute() override {}
    std::wstring SettingsPath;
};

class ChainSequencer : public CDiskSequencer {
public:
    using CDiskSequencer::CDiskSequencer;

protected:
    int PostBrowserTask(const std::wstring& path, wchar_t, const CVelmoraEXCacheSettingData&, CacheSwitch, DiskBackup,
                        int32_t operation) override {
        auto* task = new RecordedBrowserTask;
        task->SettingsPath = path;
        return Submit(task, path, operation) ? POST_DONE : POST_BUSY;
    }
    bool OnOtherTaskDone(CVMUThreadTaskHeader& task) override {
        if (task.Type != TASK_BROWSER_SETTING) return false;
        OnBrowserDone(static_cast<RecordedBrowserTask&>(task).SettingsPath, false);
        return true;
    }
};

// The link commands through the real server, started on the probe.
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

// Runs each task for real on the test's thread, in the order posted.
class ExecutingHost : public ISequencerHost {
public:
    ~ExecutingHost() override {
        for (CVMUThreadTaskHeader* task : queue) delete task;
    }
    bool PostToWorker(CVMUThreadTaskHeader* task) override {
        queue.push_back(task);
        return true;
    }
    int ShowMessageBox(const std::wstring&, const std::wstring& text, UINT) override {
        boxes.push_back(text);
        return IDNO;
    }
    void ShowBalloon(const std::wstring&, const std::wstring&, int) override {}
    bool HasTrayIcon() const override { return false; }
    bool BalloonsAllowed() const override { return false; }
    bool IsStatusSheetOpen() const override { return false; }
    void RefreshDiskRow(const std::wstring&) override {}
    bool AddDiskRow(const CVelmoraEXData&) override { return true; }
    void RemoveDiskRow(const std::wstring&) override {}
    void RestartWindows() override {}
    IVlinkCommands& LinkCommands() override { return links; }

    std::deque<CVMUThreadTaskHeader*> queue;
    std::vector<std::wstring> boxes;
    ProbeLinkCommands links;
};

using Steps = std::vector<std::pair<int32_t, int32_t>>;

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

class SequencerStandin : public ::testing::Test {
protected:
    SequencerStandin() : seq(manager, host) {}

    void SetUp() override {
        const std::wstring tag = std::to_wstring(GetCurrentProcessId());
        UDriverPipeFrame::SetPipeName((L"VelmoraEXSequencerStandin-" + tag).c_str());
        ramDir = StandinRamDir(L"vmx-sequencer-standin-" + tag, scratch / L"ram");
        ASSERT_TRUE(child.Start(L"--pipe-name VelmoraEXSequencerStandin-" + tag + L" --ram-dir \"" + ramDir +
                                L"\" --no-startup-disks"));
        ASSERT_TRUE(CVelmoraAPI::IsDriverUp(10000));

        path = scratch / L"VelmoraEX0.ini";
        CVelmoraEXData disk;
        disk.Status.SettingsPath = path;
        disk.Status.DiskOperation = OP_IDLE;
        disk.Status.StartupVisited = 1;
        disk.Setting.DriveSize = 16u << 20;
        disk.Setting.DriveLetter = kDriveLetterAutomatic;
        disk.Setting.FormatType = FORMAT_TYPE_FAT_AUTO;
        disk.Setting.MemType = 1;
        disk.Setting.CacheSetting.ChromeCache = 1;
        disk.Vlinks = {kDocs, kMusic};
        disk.PendingVlinks = {kLater.src};
        USettingsFile::WriteRamDisk(path, disk.Setting);
        USettingsFile::WriteVlink(path, disk.Vlinks);
        USettingsFile::WriteRVlink(path, disk.PendingVlinks);
        manager.AddDisk(disk);
    }
    void TearDown() override {
        child.End();
        UDriverPipeFrame::SetPipeName(nullptr);
        ScratchFolder::RemoveTree(ramDir);
    }

    // Executes the posted tasks until none is left; each task's type and the disk's operation
    // code while it ran.
    Steps Run() {
        Steps steps;
        while (!host.queue.empty() && steps.size() < 20) {
            CVMUThreadTaskHeader* task = host.queue.front();
            host.queue.pop_front();
            CVelmoraEXData disk;
            steps.emplace_back(task->Type, manager.FindDisk(path, disk) ? disk.Status.DiskOperation : 0);
            task->Execute();
            if (!seq.OnTaskDone(task)) delete task;
        }
        return steps;
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
        CVelmoraEXData disk;
        ASSERT_TRUE(manager.FindDisk(path, disk));
        letter = disk.Status.CurrentLetter;
        ASSERT_NE(letter, 0);
        ASSERT_TRUE(MountedInStandin());
    }

    ScratchFolder scratch;
    std::wstring ramDir, path;
    CStandinChild child;
    CVelmoraEXManager manager;
    ExecutingHost host;
    ChainSequencer seq;
    CProbeFolder probe;
    wchar_t letter = 0;
};

}  // namespace

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

    for (int i = 3; i < 6; ++i) probe.Answer(i, Removed());
    seq.DeleteDisk(path);
    EXPECT_EQ(Run(), (Steps{{TASK_VLINK, OP_DELETE_LINKS},
                            {TASK_BROWSER_SETTING, OP_DELETE_BROWSER},
                            {TASK_UNMOUNT, OP_DELETE_UNMOUNT},
                            {TASK_SETTING_DELETE, OP_DELETE_SETTINGS}}));
    commands = probe.Commands();
    ASSERT_EQ(commands.size(), 6u);
    for (size_t i = 3; i < 6; ++i) {
        EXPECT_EQ(commands[i].number, TOOL_REMOVE_LINK);
        EXPECT_EQ(commands[i].link, sent[i - 3]);
    }
    EXPECT_TRUE(manager.Disks().empty());
    EXPECT_FALSE(MountedInStandin());
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(host.links.prompt.boxes.empty());
}

TEST_F(SequencerStandin, DeleteStopsWhenALinkCannotBeRemoved) {
    probe.Answer(0, Relinked());
    probe.Answer(1, Relinked());
    probe.Answer(2, Linked());
    Enable();
    probe.Answer(3, Removed());
    // Command 4 gets the all-zero record: the junction was not removed.
    probe.Answer(5, Removed());
    seq.DeleteDisk(path);
    EXPECT_EQ(Run(), (Steps{{TASK_VLINK, OP_DELETE_LINKS}}));
    EXPECT_EQ(probe.Commands().size(), 6u) << "the other links are still brought back";
    ASSERT_EQ(host.links.prompt.boxes.size(), 1u);
    EXPECT_EQ(host.links.prompt.boxes[0].text, L"仮想リンクを削除できません。(0x0)");

    CVelmoraEXData disk;
    ASSERT_TRUE(manager.FindDisk(path, disk));
    EXPECT_EQ(disk.Status.DiskOperation, OP_IDLE);
    EXPECT_EQ(disk.Vlinks, std::vector<CVelmoraEXVlinkData>{kMusic});
    std::vector<CVelmoraEXVlinkData> written;
    USettingsFile::ReadVlink(path, written);
    EXPECT_EQ(written, std::vector<CVelmoraEXVlinkData>{kMusic});
    EXPECT_TRUE(MountedInStandin()) << "the disk stays while a link points at it";
}
