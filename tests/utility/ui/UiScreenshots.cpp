// Takes pictures of the utility's windows as a person sees them: the status sheet with one
// enabled and one disabled disk, the four pages of the enabled disk's settings sheet and the add
// dialog of its virtual-link page, the browsing-data deletion's choice and progress, and the save
// dialog during a shutdown; and Wine's file manager showing the enabled disk's drive with a few
// files on it. Runs the real windows against the driver stand-in in a prefix of its own.
//   vmx_ui_screenshots <output folder>
// Writes status, settings, backup, cache, vlink, vlinkadd, iedelete, iedelete-progress, save and
// drive (.bmp); exit code 0 when all ten were taken (nine where the stand-in opens no drives).
// VMX_FILE_MANAGER_LOCALE: the Unix locale the file manager runs in (it lists names through the
// ANSI code page, so Japanese names need a Japanese one); WINELOADER: the Wine that starts it.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "RecordingPrompt.h"
#include "StandinDisks.h"
#include "UiDriver.h"
#include "WindowCapture.h"
#include "framework/Handle.h"
#include "framework/ScratchFolder.h"
#include "standin/StandinHarness.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/links/Utf8Text.h"
#include "utility/disk/DataFolder.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/core/MessageText.h"
#include "utility/ui/VMUTaskTrayWnd.h"
#include "utility/ui/resource.h"

namespace {

using namespace uidriver;

const uint64_t kMiB = 1048576;

int Fail(const char* what) {
    fprintf(stderr, "vmx_ui_screenshots: %s\n", what);
    return 1;
}

bool WriteText(const std::wstring& path, const char* text) {
    CHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(strlen(text));
    return file && WriteFile(file.Get(), text, size, &written, nullptr) && written == size;
}

// Starts Wine's file manager from the Linux side, so that it runs in its own Unix locale (a
// process started from here would run in this one's): VMX_FILE_MANAGER_LOCALE when set.
bool StartFileManager(const std::wstring& path) {
    using Spawn = long(CDECL*)(char* const argv[], int wait);
    const auto spawn = reinterpret_cast<Spawn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
    if (!spawn) return false;
    std::string script = "exec \"$WINELOADER\" winefile \"$0\"";
    if (GetEnvironmentVariableW(L"VMX_FILE_MANAGER_LOCALE", nullptr, 0) > 1)
        script = "LC_ALL=\"$VMX_FILE_MANAGER_LOCALE\" " + script;
    std::string shell = "/bin/sh", option = "-c", argument = UUtf8Text::FromWide(path);
    char* const argv[] = {&shell[0], &option[0], &script[0], &argument[0], nullptr};
    return spawn(argv, 0) == 0;
}

// Puts a few files on the drive, opens Wine's file manager on it and takes its picture; the file
// manager is closed again, so that the drive can be closed later.
bool TakeDrivePicture(wchar_t letter, const std::wstring& out) {
    const std::wstring root = std::wstring(1, letter) + L":\\";
    const bool files = CreateDirectoryW((root + L"写真").c_str(), nullptr) &&
                       WriteText(root + L"写真\\富士山.jpg", "JFIF") &&
                       WriteText(root + L"メモ.txt", "RAMディスクに置いたメモです。\r\n") &&
                       WriteText(root + L"予定表.csv", "日付,予定\r\n12/10,会議\r\n") &&
                       WriteText(root + L"readme.txt", "VelmoraEX\r\n");
    if (!files) {
        Fail("cannot write files to the drive");
        return false;
    }
    // Given a folder on the drive, the file manager lists the drive with the folder open in its tree.
    if (!StartFileManager(root + L"写真")) {
        Fail("cannot start winefile");
        return false;
    }
    HWND frame = nullptr;
    if (!WaitFor([&] { return (frame = FindWindowW(L"WFS_Frame", nullptr)) != nullptr; }, 30000)) {
        Fail("the file manager did not show");
        return false;
    }
    SetForegroundWindow(frame);
    Pump(2000);  // the tree and the listing are filled after the window shows
    const bool taken = SaveWindowBitmap(frame, out);
    PostMessageW(frame, WM_CLOSE, 0, 0);
    if (!WaitFor([&] { return !IsWindow(frame); }, 10000)) {
        DWORD id = 0;
        GetWindowThreadProcessId(frame, &id);
        const CHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
        if (process) TerminateProcess(process.Get(), 1);
    }
    return taken;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return Fail("usage: vmx_ui_screenshots <output folder>");
    const std::wstring out = argv[1];
    CreateDirectoryW(out.c_str(), nullptr);
    InitCommonControls();

    ScratchFolder scratch;
    const std::wstring pipe = L"VelmoraEXScreens-" + std::to_wstring(GetCurrentProcessId());
    UDriverPipeFrame::SetPipeName(pipe.c_str());
    const std::wstring ramDir =
        StandinRamDir(L"vmx-screens-" + std::to_wstring(GetCurrentProcessId()), scratch / L"ram");
    CStandinChild standin;
    // A slow save, so that the save dialog has time to show.
    if (!standin.Start(L"--pipe-name " + pipe + L" --ram-dir \"" + ramDir + L"\" --no-startup-disks --save-rate 4M"))
        return Fail("cannot start VelmoraEXStandin.exe next to this program");
    if (!CVelmoraAPI::IsDriverUp(10000)) return Fail("the stand-in did not answer");

    EnsureDataFolder();
    int taken = 0;
    CRecordingNotifier notices;
    CVelmoraEXManager manager;
    CVelmoraEXOptionData options;
    options.TaskTray = 1;
    options.Indicator = 1;
    manager.SaveOptions(options);
    RecordingPrompt prompt;  // no boxes and no balloons on the pictures
    std::unique_ptr<CVMUTaskTrayWnd> tray(new CVMUTaskTrayWnd(manager));
    tray->SetPrompt(&prompt);
    if (!tray->Create()) return Fail("cannot create the tray window");
    tray->SetStartupComplete(true);

    const std::wstring enabled = MakeDisk(*tray, 256 * kMiB, FORMAT_TYPE_NTFS, SAVE_WRITE_BACK, 'R');
    const std::wstring disabled = MakeDisk(*tray, 128 * kMiB, FORMAT_TYPE_FAT_AUTO, SAVE_AT_LOGOFF, 'S');
    if (enabled.empty() || disabled.empty()) return Fail("the disks were not created");
    tray->Sequencer().DisableDisk(disabled);
    if (!WaitFor([&] { return manager.IsIdle() && !manager.IsMounted(disabled); }, 60000))
        return Fail("the second disk was not disabled");
    // The enabled disk as a drive, when the stand-in can open drives here.
    const bool drive = WaitFor([] { return GetDriveTypeW(L"R:\\") == DRIVE_RAMDISK; }, 30000);
    if (drive) {
        taken += TakeDrivePicture(L'R', out + L"\\drive.bmp");
    } else {
        fprintf(stderr, "vmx_ui_screenshots: R: is no drive here (no FUSE?): no picture of it\n");
    }

    // Unsaved data for the list's last column.
    if (!FillDisk(enabled, 64 * kMiB, 24 * kMiB)) return Fail("cannot write to the disk");

    HWND sheet = nullptr, page = nullptr;
    DWORD shownAt = 0;
    const std::wstring propertyTitle = L"RAMディスク(R:)のプロパティ";
    Script script;
    script.Add(
        L"status sheet",
        [&] {
            sheet = FindOwnWindow(UMessageText::Load(IDS_10003));
            page = sheet ? FindPageWith(sheet, IDC_STATUS_LIST) : nullptr;
            return page && ListCount(GetDlgItem(page, IDC_STATUS_LIST)) == 2;
        },
        [&] { shownAt = GetTickCount(); });
    // The unsaved figures arrive with the first status poll.
    script.Add(
        L"figures shown", [&] { return GetTickCount() - shownAt > 2000; },
        [&] {
            taken += SaveWindowBitmap(sheet, out + L"\\status.bmp");
            HWND list = GetDlgItem(page, IDC_STATUS_LIST);
            for (int row = 0; row < ListCount(list); ++row)
                if (ListText(list, row, 0) == L"R:") ListSelect(list, row);
            Click(page, IDC_STATUS_PROPERTY);
        });
    DWORD settingsAt = 0;
    script.Add(
        L"settings sheet", [&] { return FindOwnWindow(propertyTitle) != nullptr; },
        [&] { settingsAt = GetTickCount(); });
    script.Add(
        L"settings sheet drawn", [&] { return GetTickCount() - settingsAt > 500; },
        [&] {
            HWND props = FindOwnWindow(propertyTitle);
            taken += SaveWindowBitmap(props, out + L"\\settings.bmp");
            PostMessageW(props, PSM_SETCURSEL, 1, 0);
            settingsAt = GetTickCount();
        });
    script.Add(
        L"backup page drawn", [&] { return GetTickCount() - settingsAt > 500; },
        [&] {
            HWND props = FindOwnWindow(propertyTitle);
            taken += SaveWindowBitmap(props, out + L"\\backup.bmp");
            PostMessageW(props, PSM_SETCURSEL, 2, 0);
            settingsAt = GetTickCount();
        });
    script.Add(
        L"browser-cache page drawn", [&] { return GetTickCount() - settingsAt > 500; },
        [&] {
            HWND props = FindOwnWindow(propertyTitle);
            taken += SaveWindowBitmap(props, out + L"\\cache.bmp");
            PostMessageW(props, PSM_SETCURSEL, 3, 0);
            settingsAt = GetTickCount();
        });
    script.Add(
        L"virtual-link page drawn", [&] { return GetTickCount() - settingsAt > 500; },
        [&] {
            HWND props = FindOwnWindow(propertyTitle);
            taken += SaveWindowBitmap(props, out + L"\\vlink.bmp");
            if (HWND vlink = FindPageWith(props, IDC_VLINK_LIST)) Click(vlink, IDC_VLINK_CREATE);
        });
    const std::wstring addTitle = L"仮想リンクの作成";
    script.Add(
        L"add dialog", [&] { return FindOwnWindow(addTitle) != nullptr; },
        [&] {
            SetDlgItemTextW(FindOwnWindow(addTitle), IDC_VLINK_ADD_FOLDER, L"C:\\users\\Documents");
            settingsAt = GetTickCount();
        });
    script.Add(
        L"add dialog drawn", [&] { return GetTickCount() - settingsAt > 300; },
        [&] {
            HWND add = FindOwnWindow(addTitle);
            taken += SaveWindowBitmap(add, out + L"\\vlinkadd.bmp");
            PostMessageW(add, WM_COMMAND, IDCANCEL, 0);
        });
    script.Add(
        L"add dialog closed", [&] { return FindOwnWindow(addTitle) == nullptr; },
        [&] { PostMessageW(FindOwnWindow(propertyTitle), PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
    script.Add(
        L"settings sheet closed", [&] { return FindOwnWindow(propertyTitle) == nullptr; },
        [&] { Click(page, IDC_STATUS_IE_DELETE); });
    // The browsing-data deletion: the choice, then the progress while the tools program runs.
    const std::wstring deleteTitle = L"インターネット閲覧の履歴の削除  ";
    HWND choice = nullptr;
    script.Add(
        L"deletion choice", [&] { return (choice = FindOwnWindow(deleteTitle)) != nullptr; },
        [&] { settingsAt = GetTickCount(); });
    script.Add(
        L"deletion choice drawn", [&] { return GetTickCount() - settingsAt > 300; },
        [&] {
            for (int id : {IDC_IEDELETE_CACHE, IDC_IEDELETE_COOKIE, IDC_IEDELETE_HISTORY, IDC_IEDELETE_TYPEDURLS})
                if (IsDlgButtonChecked(choice, id) != BST_CHECKED) SendDlgItemMessageW(choice, id, BM_CLICK, 0, 0);
            settingsAt = GetTickCount();
        });
    script.Add(
        L"deletion choice ticked", [&] { return GetTickCount() - settingsAt > 300; },
        [&] {
            taken += SaveWindowBitmap(choice, out + L"\\iedelete.bmp");
            Click(choice, IDOK);
        });
    script.Add(
        L"deletion progress",
        [&] {
            HWND progress = FindOwnWindow(deleteTitle);
            return progress && progress != choice && GetDlgItem(progress, IDC_IEDELETE_PROGRESS);
        },
        [&] { taken += SaveWindowBitmap(FindOwnWindow(deleteTitle), out + L"\\iedelete-progress.bmp"); });
    script.Add(
        L"deletion done", [&] { return FindOwnWindow(deleteTitle) == nullptr; },
        [&] { PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
    script.Start(60000, [&] {
        if (HWND props = FindOwnWindow(propertyTitle)) PostMessageW(props, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        if (sheet) PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    tray->PostMessage(WM_COMMAND, ID_TRAY_STATUS, 0);
    WaitFor([&] { return script.Done() || script.Failed(); }, 120000);
    if (script.Failed()) fprintf(stderr, "vmx_ui_screenshots: timed out waiting for %ls\n", script.Pending().c_str());
    WaitFor([&] { return FindOwnWindow(UMessageText::Load(IDS_10003)) == nullptr; }, 10000);

    // The save dialog, once its bar has moved.
    if (!FillDisk(enabled, 64 * kMiB, 40 * kMiB)) return Fail("cannot write to the disk");
    bool saveTaken = false;
    {
        Ticker watch([&] {
            HWND dialog = FindOwnWindow(L"VelmoraEX");
            if (saveTaken || !dialog || !GetDlgItem(dialog, IDC_SAVE_PROGRESS)) return;
            if (SendDlgItemMessageW(dialog, IDC_SAVE_PROGRESS, PBM_GETPOS, 0, 0) <= 0) return;
            saveTaken = SaveWindowBitmap(dialog, out + L"\\save.bmp");
        });
        tray->SendMessage(WM_QUERYENDSESSION, 0, 0);
    }
    taken += saveTaken;

    // The disks and their files go again.
    for (const std::wstring& path : {enabled, disabled}) {
        tray->Sequencer().DeleteDisk(path);
        WaitFor([&] { return manager.IsIdle(); }, 60000);
    }
    tray.reset();
    standin.End();
    UDriverPipeFrame::SetPipeName(nullptr);
    ScratchFolder::RemoveTree(ramDir);
    const int wanted = drive ? 10 : 9;
    fprintf(stderr, "vmx_ui_screenshots: %d of %d pictures\n", taken, wanted);
    return taken == wanted ? 0 : 1;
}
