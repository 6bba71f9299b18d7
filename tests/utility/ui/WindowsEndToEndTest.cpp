// The utility's windows end to end under Wine, with the real driver stand-in: a person's clicks
// on the status sheet and the settings sheet create, disable, enable and delete a disk whose
// files are written through its drive letter, and a shutdown with unsaved data runs the save
// dialog. Message boxes and balloons are recorded.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RecordingPrompt.h"
#include "StandinDisks.h"
#include "UiDriver.h"
#include "framework/ScratchFolder.h"
#include "standin/DriveTree.h"
#include "standin/StandinHarness.h"
#include "utility/disk/BackupImage.h"
#include "utility/disk/ListFile.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/DataFolder.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/core/MessageText.h"
#include "utility/ui/VMUTaskTrayWnd.h"
#include "utility/ui/resource.h"

namespace {

using namespace uidriver;

const uint64_t kMiB = 1048576;

// Every position and range the save dialog's progress bar is given, seen as they are sent.
struct ProgressLog {
    std::vector<LPARAM> ranges;
    std::vector<WPARAM> positions;
};
ProgressLog* g_progress = nullptr;

LRESULT CALLBACK WatchProgress(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_progress) {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (GetDlgCtrlID(sent->hwnd) == IDC_SAVE_PROGRESS) {
            if (sent->message == PBM_SETRANGE32) g_progress->ranges.push_back(sent->lParam);
            if (sent->message == PBM_SETPOS) g_progress->positions.push_back(sent->wParam);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// What the list and the prompts showed, for failure messages.
std::string Seen(const std::vector<std::wstring>& rows, const RecordingPrompt& prompt) {
    auto narrow = [](const std::wstring& w) {
        int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string s(n > 0 ? n - 1 : 0, '\0');
        if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
        return s;
    };
    std::string out = "\nrows:";
    for (const auto& r : rows) out += " [" + narrow(r) + "]";
    out += "\nboxes:";
    for (const auto& b : prompt.boxes) out += " [" + narrow(b.text) + "]";
    out += "\nballoons:";
    for (const auto& b : prompt.balloons) out += " [" + narrow(b.text) + "]";
    return out;
}

class WindowsEndToEnd : public ::testing::Test {
protected:
    void StartStandin(const std::wstring& extra) {
        static int instance = 0;
        std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++instance);
        pipeName = L"VelmoraEXWindows-" + tag;
        UDriverPipeFrame::SetPipeName(pipeName.c_str());
        ramDir = StandinRamDir(L"vmx-windows-" + tag, scratch / L"ram");
        std::wstring args = L"--pipe-name " + pipeName + L" --ram-dir \"" + ramDir + L"\" --no-startup-disks " + extra;
        ASSERT_TRUE(child.Start(args)) << "VelmoraEXStandin.exe next to the test program";
        ASSERT_TRUE(CVelmoraAPI::IsDriverUp(10000));
    }
    void SetUp() override {
        EnsureDataFolder();
        optionFile = USettingsPaths::GetOptionFile();
        optionBackup = optionFile + L".windowstest";
        hadOptions = CopyFileW(optionFile.c_str(), optionBackup.c_str(), FALSE) != FALSE;
        CVelmoraEXOptionData options;
        options.TaskTray = 1;
        options.Indicator = 1;
        ASSERT_EQ(manager.SaveOptions(options), 1);
    }
    void TearDown() override {
        tray.reset();
        // Whatever a failed test left: the disks go from the stand-in, the files from the folder.
        for (const CVelmoraEXData& disk : manager.Disks()) {
            ULoadSettings::UnregisterAtStartup(disk.Status.SettingsPath);
            DeleteFileW(disk.Status.SettingsPath.c_str());
            ScratchFolder::RemoveTree(disk.Setting.BackupBaseDir);
        }
        child.End();
        UDriverPipeFrame::SetPipeName(nullptr);
        ScratchFolder::RemoveTree(ramDir);
        if (hadOptions)
            MoveFileExW(optionBackup.c_str(), optionFile.c_str(), MOVEFILE_REPLACE_EXISTING);
        else
            DeleteFileW(optionFile.c_str());
    }

    void CreateTray() {
        tray.reset(new CVMUTaskTrayWnd(manager));
        tray->SetPrompt(&prompt);
        ASSERT_TRUE(tray->Create());
        tray->SetStartupComplete(true);
    }

    // A new disk, FAT, mounted.
    std::wstring CreateDisk(uint64_t size, int32_t saveType) {
        const std::wstring path = MakeDisk(*tray, size, FORMAT_TYPE_FAT_AUTO, saveType);
        EXPECT_FALSE(path.empty()) << "disk mounted";
        return path;
    }

    long WriteDisk(const std::wstring& path, uint64_t offset, const std::vector<uint8_t>& bytes) {
        CStandinClient client;
        return client.WriteBytes(path, offset, bytes);
    }
    std::vector<uint8_t> ReadDisk(const std::wstring& path, uint64_t offset, uint32_t length) {
        CStandinClient client;
        return client.ReadBytes(path, offset, length);
    }
    // The disk's unsaved bytes as the driver reports them (all ones when it cannot).
    uint64_t UnsavedBytes(const std::wstring& path) {
        CStandinClient client;
        RamDiskStatus status{};
        if (!client.Query(path, 0, status)) return ~0ull;
        return status.UnsavedBytes();
    }
    const CVelmoraEXData* DiskOf(const std::wstring& path) {
        for (const CVelmoraEXData& disk : manager.Disks())
            if (disk.Status.SettingsPath == path) return &disk;
        return nullptr;
    }

    ScratchFolder scratch;
    std::wstring pipeName, ramDir, optionFile, optionBackup;
    bool hadOptions = false;
    CStandinChild child;
    CRecordingNotifier notices;
    CVelmoraEXManager manager;
    RecordingPrompt prompt;
    std::unique_ptr<CVMUTaskTrayWnd> tray;
};

TEST_F(WindowsEndToEnd, StatusSheetCreatesDisablesEnablesAndDeletesADisk) {
    StartStandin(L"");
    CreateTray();

    HWND sheet = nullptr, page = nullptr, list = nullptr;
    std::wstring settingsPath, backupFolder;
    std::vector<std::wstring> rowTexts;  // column 0 of the first row, each change as it showed
    const std::vector<uint8_t> data = Pattern(4096, 42);
    std::vector<uint8_t> readBack;
    const CDriveTree tree = CDriveTree::For(true);
    bool drive = false, driveGone = false;
    std::string inImage = "(not read)", onDrive = "(not read)";
    size_t boxesBeforeDisable = 0, boxesAfterDisable = 0;

    auto rowIs = [&](const std::wstring& text) { return list && ListCount(list) == 1 && ListText(list, 0, 0) == text; };
    auto idleButton = [&](int id) { return page && IsWindowEnabled(GetDlgItem(page, id)); };

    Script script;
    script.Add(
        L"status sheet open",
        [&] {
            sheet = FindOwnWindow(UMessageText::Load(IDS_10003));
            page = sheet ? FindPageWith(sheet, IDC_STATUS_LIST) : nullptr;
            list = page ? GetDlgItem(page, IDC_STATUS_LIST) : nullptr;
            return list != nullptr && ListCount(list) == 0;
        },
        [&] { Click(page, IDC_STATUS_NEW); });
    script.Add(
        L"new-disk sheet open",
        [&] {
            HWND props = FindOwnWindow(UMessageText::Load(IDS_5101));
            return props && FindPageWith(props, IDC_PROPERTY_SIZE);
        },
        [&] {
            HWND props = FindOwnWindow(UMessageText::Load(IDS_5101));
            HWND whole = FindPageWith(props, IDC_PROPERTY_SIZE);
            SetDlgItemTextW(whole, IDC_PROPERTY_SIZE, L"256");
            SendDlgItemMessageW(whole, IDC_PROPERTY_LETTER, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(L"R:"));
            SendDlgItemMessageW(whole, IDC_PROPERTY_FORMAT, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(L"NTFS"));
            PostMessageW(props, PSM_PRESSBUTTON, PSBTN_OK, 0);
        });
    // Each button is pressed once the selected row has made it available.
    script.Add(
        L"new disk enabled as R:", [&] { return rowIs(L"R:") && manager.IsIdle(); },
        [&] {
            settingsPath = manager.Disks().front().Status.SettingsPath;
            backupFolder = manager.Disks().front().Setting.BackupBaseDir;
            // Files through the drive where the stand-in makes one, else bytes through its test interface.
            drive = GetDriveTypeW(L"R:\\") == DRIVE_RAMDISK;
            if (drive)
                EXPECT_TRUE(tree.Write(L"R:"));
            else
                EXPECT_EQ(WriteDisk(settingsPath, 200 * kMiB, data), 0);
            boxesBeforeDisable = prompt.boxes.size();
            ListSelect(list, 0);
        });
    script.Add(
        L"disable available", [&] { return idleButton(IDC_STATUS_DISABLE) && !idleButton(IDC_STATUS_ENABLE); },
        [&] { Click(page, IDC_STATUS_DISABLE); });
    script.Add(
        L"disk disabled", [&] { return rowIs(UMessageText::Load(IDS_3202)) && manager.IsIdle(); },
        [&] {
            boxesAfterDisable = prompt.boxes.size();
            if (drive) {
                driveGone = GetDriveTypeW(L"R:\\") == DRIVE_NO_ROOT_DIR;
                inImage = tree.ImageMismatches(CListFile::MakePieceName(UBackupImage::ImageBasePath(backupFolder), 0),
                                               scratch.Path());
            }
            ListSelect(list, 0);
        });
    script.Add(
        L"enable available", [&] { return idleButton(IDC_STATUS_ENABLE) && !idleButton(IDC_STATUS_DISABLE); },
        [&] { Click(page, IDC_STATUS_ENABLE); });
    script.Add(
        L"disk enabled again", [&] { return rowIs(L"R:") && manager.IsIdle(); },
        [&] {
            if (drive)
                onDrive = tree.Mismatches(L"R:");
            else
                readBack = ReadDisk(settingsPath, 200 * kMiB, 4096);
            prompt.answers = {IDYES};  // to the deletion question
            ListSelect(list, 0);
        });
    script.Add(
        L"delete available", [&] { return idleButton(IDC_STATUS_DELETE); }, [&] { Click(page, IDC_STATUS_DELETE); });
    script.Add(
        L"disk deleted", [&] { return list && ListCount(list) == 0 && manager.IsIdle(); },
        [&] { PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
    Ticker watch([&] {
        if (list && ListCount(list) == 1) {
            std::wstring text = ListText(list, 0, 0);
            if (rowTexts.empty() || rowTexts.back() != text) rowTexts.push_back(text);
        }
    });
    script.Start(60000, [&] {
        if (HWND props = FindOwnWindow(UMessageText::Load(IDS_5101)))
            PostMessageW(props, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        if (sheet) PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });

    tray->PostMessage(WM_COMMAND, ID_TRAY_STATUS, 0);
    ASSERT_TRUE(WaitFor([&] { return script.Done() || script.Failed(); }, 240000)) << "stuck at " << script.Pending();
    ASSERT_FALSE(script.Failed()) << "timed out waiting for: " << script.Pending() << Seen(rowTexts, prompt);
    EXPECT_TRUE(WaitFor([&] { return FindOwnWindow(UMessageText::Load(IDS_10003)) == nullptr; }, 10000));

    // The new disk showed its creation step, then its letter.
    auto creating = std::find(rowTexts.begin(), rowTexts.end(), UMessageText::Load(IDS_3206));
    auto creatingAgain = std::find(rowTexts.begin(), rowTexts.end(), UMessageText::Load(IDS_3215));
    EXPECT_TRUE(creating != rowTexts.end() || creatingAgain != rowTexts.end());
    ASSERT_FALSE(rowTexts.empty());
    EXPECT_NE(std::find(rowTexts.begin(), rowTexts.end(), L"R:"), rowTexts.end());
    // Then "無効" and the letter again, in this order.
    auto disabledRow =
        std::find(creating != rowTexts.end() ? creating : creatingAgain, rowTexts.end(), UMessageText::Load(IDS_3202));
    ASSERT_NE(disabledRow, rowTexts.end()) << Seen(rowTexts, prompt);
    EXPECT_NE(std::find(disabledRow, rowTexts.end(), L"R:"), rowTexts.end()) << Seen(rowTexts, prompt);

    // The size and letter chosen in the sheet are what the driver made.
    EXPECT_TRUE(std::any_of(prompt.balloons.begin(), prompt.balloons.end(), [](const Shown& b) {
        return b.text == L"ドライブレター ： R:\n容量 ： 256MB";
    })) << Seen(rowTexts, prompt);

    // Disabling a disk with a backup asks nothing and takes its drive away; the image holds the
    // files (as ntfs-3g's tools read it), and they came back from it.
    EXPECT_EQ(boxesAfterDisable, boxesBeforeDisable);
    if (drive) {
        EXPECT_TRUE(driveGone);
        EXPECT_EQ(inImage, "");
        EXPECT_EQ(onDrive, "");
    } else {
        EXPECT_EQ(readBack, data);
    }

    // The deletion asked once, with the exact question, and removed the files.
    ASSERT_FALSE(prompt.boxes.empty());
    const Shown& last = prompt.boxes.back();
    EXPECT_EQ(last.text, L"選択中のRAMディスクを削除します。よろしいですか？");
    EXPECT_EQ(last.caption, L"VelmoraEX");
    EXPECT_EQ(last.style, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(
        std::count_if(prompt.boxes.begin(), prompt.boxes.end(),
                      [](const Shown& b) { return b.text == L"選択中のRAMディスクを削除します。よろしいですか？"; }),
        1);
    EXPECT_TRUE(manager.Disks().empty());
    EXPECT_EQ(GetFileAttributesW(settingsPath.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW((backupFolder + L"\\VelmoraEX.dat").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Runs a shutdown query with the save dialog; records whether the dialog showed and what its
// bar was given.
struct ShutdownRun {
    LRESULT answer = -1;
    bool shown = false;
    ProgressLog progress;
};

ShutdownRun QueryShutdown(CVMUTaskTrayWnd& tray) {
    ShutdownRun run;
    g_progress = &run.progress;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchProgress, nullptr, GetCurrentThreadId());
    Ticker watch([&] {
        HWND dialog = FindOwnWindow(L"VelmoraEX");  // the tray window of that title stays hidden
        if (dialog && GetDlgItem(dialog, IDC_SAVE_PROGRESS)) run.shown = true;
    });
    run.answer = tray.SendMessage(WM_QUERYENDSESSION, 0, 0);
    if (hook) UnhookWindowsHookEx(hook);
    g_progress = nullptr;
    return run;
}

TEST_F(WindowsEndToEnd, ShutdownWithMuchUnsavedDataShowsTheSaveDialogUntilItIsSaved) {
    // 4 MiB a second: 20-odd MiB take about six seconds to reach the image. The disk saves at
    // log-off, so everything written waits for the shutdown, however long writing takes.
    StartStandin(L"--save-rate 4M");
    CreateTray();
    const std::wstring path = MakeDisk(*tray, 64 * kMiB, FORMAT_TYPE_NTFS, SAVE_AT_LOGOFF);
    ASSERT_FALSE(path.empty()) << "disk mounted";
    // Files through the drive where the stand-in makes one, else bytes through its test interface.
    const CVelmoraEXData* disk = DiskOf(path);
    ASSERT_NE(disk, nullptr);
    const wchar_t letter = disk->Status.CurrentLetter;
    const std::wstring root = std::wstring(1, letter) + L":";
    const bool drive = letter && GetDriveTypeW((root + L"\\").c_str()) == DRIVE_RAMDISK;
    const CDriveTree tree = CDriveTree::For(true, 18 * kMiB);
    if (drive) {
        ASSERT_TRUE(tree.Write(root));
        ASSERT_TRUE(WaitFor([&] { return UnsavedBytes(path) >= 20 * kMiB; }, 10000)) << UnsavedBytes(path);
    } else {
        ASSERT_TRUE(FillDisk(path, 32 * kMiB, 22 * kMiB));
    }

    ShutdownRun run = QueryShutdown(*tray);
    EXPECT_EQ(run.answer, TRUE);
    EXPECT_TRUE(run.shown) << "more than 9 MB to save shows the dialog";
    ASSERT_FALSE(run.progress.ranges.empty());
    ASSERT_FALSE(run.progress.positions.empty());
    const LPARAM maximum = run.progress.ranges.back();
    EXPECT_GE(maximum, 10);
    EXPECT_LE(maximum, 24);
    EXPECT_EQ(static_cast<LPARAM>(run.progress.positions.back()), maximum) << "the bar ends full";
    EXPECT_TRUE(std::is_sorted(run.progress.ranges.begin(), run.progress.ranges.end())) << "the maximum only grows";

    EXPECT_EQ(UnsavedBytes(path), 0u);
    // What was written through the drive is in the image, as ntfs-3g's tools read it.
    if (drive) {
        EXPECT_EQ(
            tree.ImageMismatches(CListFile::MakePieceName(UBackupImage::ImageBasePath(disk->Setting.BackupBaseDir), 0),
                                 scratch.Path()),
            "");
    }
}

TEST_F(WindowsEndToEnd, ShutdownWithLittleUnsavedDataSavesWithoutAWindow) {
    StartStandin(L"--save-rate 4M");
    CreateTray();
    const std::wstring path = CreateDisk(64 * kMiB, SAVE_WRITE_BACK);
    ASSERT_TRUE(FillDisk(path, 32 * kMiB, 6 * kMiB));

    ShutdownRun run = QueryShutdown(*tray);
    EXPECT_EQ(run.answer, TRUE);
    EXPECT_FALSE(run.shown);

    EXPECT_EQ(UnsavedBytes(path), 0u);
}

}  // namespace
