// The virtual-link task on real settings files, with the link commands recorded and answered as
// each case needs: what each sub-operation sends, what it keeps, and what the [Vlink] and
// [RVlink] sections of the settings file and its pending copy say afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include "TaskTestSupport.h"
#include "framework/ScratchFolder.h"
#include "tests/utility/core/RecordingVlinkCommands.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/VMUThreadTaskVlinkEX.h"

namespace {

using tasktest::RamDiskIni;
using tasktest::WriteIni;
using Links = std::vector<CVelmoraEXVlinkData>;
using Sources = std::vector<std::wstring>;

class TaskVlink : public ::testing::Test {
protected:
    void SetUp() override {
        settings = scratch / L"VelmoraEX0.ini";
        pending = scratch / L"VelmoraEX0.bak";
        // Both files start with stale sections that the task must replace.
        const std::wstring stale =
            L"[Vlink]\r\nsrc0=C:\\old\r\ndst0=\\Vlink\\old\r\nbackup0=C:\\old_Backup\r\n"
            L"[RVlink]\r\nsrc0=C:\\stale\r\n";
        ASSERT_TRUE(WriteIni(settings, RamDiskIni(L"1048576", L"R") + stale));
        ASSERT_TRUE(WriteIni(pending, RamDiskIni(L"2097152", L"R") + stale));
    }

    CVMUThreadTaskVlinkEX& Task(int32_t sub, wchar_t drive) {
        task.SubOperation = sub;
        task.DriveLetter = drive;
        task.SettingsPath = settings;
        task.Commands = &commands;
        return task;
    }

    // Both files hold exactly these lists, and the task hands the same back.
    void ExpectRecorded(const Links& links, const Sources& sources) {
        EXPECT_EQ(task.Links, links);
        EXPECT_EQ(task.PendingLinks, sources);
        for (const std::wstring& file : {settings, pending}) {
            Links readLinks;
            Sources readSources;
            USettingsFile::ReadVlink(file, readLinks);
            USettingsFile::ReadRVlink(file, readSources);
            EXPECT_EQ(readLinks, links) << file;
            EXPECT_EQ(readSources, sources) << file;
            EXPECT_TRUE(USettingsFile::HasRamDiskSection(file)) << file;
        }
    }

    ScratchFolder scratch;
    std::wstring settings, pending;
    CRecordingVlinkCommands commands;
    CVMUThreadTaskVlinkEX task;
};

const CVelmoraEXVlinkData kDocs(L"C:\\u\\Docs", L"\\Vlink\\Docs", L"C:\\u\\Docs_Backup");
const CVelmoraEXVlinkData kMusic(L"C:\\u\\Music", L"\\Vlink\\Music", L"C:\\u\\Music_Backup");

}  // namespace

TEST_F(TaskVlink, RemovalKeepsOnlyTheLinksThatStayedAndDropsPendingOnes) {
    // With the disk on, each link goes with its RAM-disk folder; with the disk off (no letter),
    // without one, so that the tools program restores it from its backup folder.
    for (wchar_t drive : {L'R', L'\0'}) {
        commands.calls.clear();
        Task(VLINK_REMOVE, drive).Links = {kDocs, {L"C:\\u\\Later", L"", L""}, kMusic};
        task.PendingLinks = {L"C:\\u\\Later"};
        commands.answers[CRecordingVlinkCommands::kRemove] = {0, 1};
        task.Execute();
        ASSERT_EQ(commands.calls.size(), 2u) << "a pending link is dropped without a command";
        for (size_t i = 0; i < 2; ++i) {
            const CVelmoraEXVlinkData& link = i == 0 ? kDocs : kMusic;
            EXPECT_EQ(commands.calls[i].command, CRecordingVlinkCommands::kRemove);
            EXPECT_EQ(commands.calls[i].drive, drive);
            EXPECT_EQ(commands.calls[i].link, CVelmoraEXVlinkData(link.src, drive ? link.dst : L"", link.backup));
        }
        EXPECT_EQ(task.Result, -1);
        EXPECT_EQ(task.Done, 1);
        EXPECT_EQ(task.Failed, 1);
        ExpectRecorded({kDocs}, {});  // the link kept still names its RAM-disk folder
    }
}

TEST_F(TaskVlink, RelinkKeepsEveryLinkAndReportsThoseNotInPlace) {
    Task(VLINK_CREATE, L'R').Links = {kDocs, kMusic};
    task.PendingLinks = {L"C:\\u\\Later"};
    commands.answers[CRecordingVlinkCommands::kRelink] = {0, 1};
    task.Execute();
    ASSERT_EQ(commands.calls.size(), 2u);
    EXPECT_EQ(commands.calls[0].command, CRecordingVlinkCommands::kRelink);
    EXPECT_EQ(commands.calls[1].link, kMusic);
    EXPECT_EQ(task.Result, -1);
    EXPECT_EQ(task.Failed, 1);
    ExpectRecorded({kDocs, kMusic}, {L"C:\\u\\Later"});

    commands.calls.clear();
    task.Execute();
    EXPECT_EQ(task.Result, 0);
    EXPECT_EQ(task.Done, 2);
}

TEST_F(TaskVlink, PendingLinksAreCreatedDeferredOrDroppedWithFreeFolderNames) {
    // The RAM disk is the scratch drive: its "Vlink\<name>" is taken on disk, "Vlink\<name>2"
    // by an existing link whose folder is missing; the source has a "_Backup" beside it.
    const std::wstring name = L"vmx-vlink-" + std::to_wstring(GetCurrentProcessId());
    const wchar_t drive = scratch.Path()[0];
    const std::wstring vlinkRoot = std::wstring(1, drive) + L":\\Vlink";
    const std::wstring onDisk = vlinkRoot + L"\\" + name;
    const bool madeRoot = CreateDirectoryW(vlinkRoot.c_str(), nullptr) != 0;
    ASSERT_TRUE(ScratchFolder::MakeFolder(onDisk));
    const std::wstring source = scratch / name;
    ASSERT_TRUE(ScratchFolder::MakeFolder(source));
    ASSERT_TRUE(ScratchFolder::MakeFolder(source + L"_Backup"));
    const CVelmoraEXVlinkData existing(L"C:\\u\\x", L"\\Vlink\\" + name + L"2", L"C:\\u\\x_Backup");

    Task(VLINK_CREATE_PENDING, drive).Links = {existing};
    task.PendingLinks = {source, L"C:\\u\\Busy", L"C:\\u\\Broken", L"C:\\"};
    commands.answers[CRecordingVlinkCommands::kCreate] = {1, 2, 0};
    task.Execute();
    RemoveDirectoryW(onDisk.c_str());
    if (madeRoot) RemoveDirectoryW(vlinkRoot.c_str());

    ASSERT_EQ(commands.calls.size(), 3u) << "a drive root has no name to link";
    const CVelmoraEXVlinkData created(source, L"\\Vlink\\" + name + L"3", source + L"_Backup1");
    EXPECT_EQ(commands.calls[0].command, CRecordingVlinkCommands::kCreate);
    EXPECT_EQ(commands.calls[0].drive, drive);
    EXPECT_EQ(commands.calls[0].link, created);
    EXPECT_EQ(commands.calls[1].link, CVelmoraEXVlinkData(L"C:\\u\\Busy", L"\\Vlink\\Busy", L"C:\\u\\Busy_Backup"));
    EXPECT_EQ(task.Done, 1);
    EXPECT_EQ(task.Deferred, 1);
    EXPECT_EQ(task.Failed, 2);
    EXPECT_EQ(task.Result, -1);
    ExpectRecorded({existing, created}, {L"C:\\u\\Busy"});
}

TEST_F(TaskVlink, NothingIsSentOrWrittenWithoutCommandsOrSettingsFile) {
    const std::vector<char> before = ScratchFolder::Read(settings);
    Task(VLINK_REMOVE, L'R').Links = {kDocs};
    task.Commands = nullptr;
    task.Execute();
    EXPECT_EQ(task.Result, -1);
    EXPECT_EQ(ScratchFolder::Read(settings), before);

    // Sub-operations that need the RAM disk do nothing without its letter.
    for (int32_t sub : {VLINK_CREATE, VLINK_CREATE_PENDING}) {
        Task(sub, 0).PendingLinks = {L"C:\\u\\Later"};
        task.Execute();
        EXPECT_EQ(task.Result, -1);
    }
    EXPECT_TRUE(commands.calls.empty());
    EXPECT_EQ(ScratchFolder::Read(settings), before);

    // A disk whose settings file is gone gets no new one.
    const std::wstring missing = scratch / L"VelmoraEX7.ini";
    Task(VLINK_REMOVE, L'R').SettingsPath = missing;
    task.Execute();
    EXPECT_EQ(task.Result, 0);
    EXPECT_EQ(GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
}
