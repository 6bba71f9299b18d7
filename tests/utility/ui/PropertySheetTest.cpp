// The settings sheet of a RAM disk under Wine: the RAM-disk page's size limit, slider and text,
// its apply checks and questions, and what OK hands to the sequencer. Memory figures are
// scripted, message boxes recorded and answered as told, and the sequencer's worker is a queue.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/Junction.h"
#include "framework/ScratchFolder.h"
#include "tests/common/FakeReparsePoints.h"
#include "tests/common/StoredReparsePoints.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/VMUThreadTaskHeader.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/DataFolder.h"
#include "utility/links/WineDriveLetter.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/core/PhysicalMemory.h"
#include "utility/ui/SequencerHost.h"
#include "utility/ui/TrayPrompt.h"
#include "RecordingPrompt.h"
#include "StandinDisks.h"
#include "UiDriver.h"
#include "standin/DriveTree.h"
#include "standin/StandinHarness.h"
#include "tests/utility/core/RecordingVlinkCommands.h"
#include "utility/ui/BrowserFacts.h"
#include "utility/ui/VMUPropertySheet.h"
#include "utility/ui/VMUPropertySheetFactory.h"
#include "utility/ui/VMUStatusSheet.h"
#include "utility/ui/VMUTaskTrayWnd.h"
#include "utility/ui/resource.h"

namespace {

const uint64_t MB = 1ull << 20;

// The sequencer's window side: tasks stay queued, notices are counted.
class RecordingHost : public ISequencerHost {
public:
    ~RecordingHost() override {
        for (CVMUThreadTaskHeader* task : queue) delete task;
    }
    bool PostToWorker(CVMUThreadTaskHeader* task) override {
        queue.push_back(task);
        return true;
    }
    int ShowMessageBox(const std::wstring&, const std::wstring&, UINT) override { return ++notices, IDCANCEL; }
    void ShowBalloon(const std::wstring&, const std::wstring&, int) override { ++notices; }
    bool HasTrayIcon() const override { return false; }
    bool BalloonsAllowed() const override { return false; }
    bool IsStatusSheetOpen() const override { return false; }
    void RefreshDiskRow(const std::wstring&) override {}
    bool AddDiskRow(const CVelmoraEXData&) override { return true; }
    void RemoveDiskRow(const std::wstring&) override {}
    void RestartWindows() override {}
    IVlinkCommands& LinkCommands() override { return links; }
    std::vector<CVMUThreadTaskHeader*> queue;
    int notices = 0;
    CRecordingVlinkCommands links;
};

MemoryFigures g_memory;
MemoryFigures ScriptedMemory() { return g_memory; }

using uidriver::Pump;
using uidriver::RecordingPrompt;

class PropertySheetTest : public ::testing::Test {
protected:
    PropertySheetTest() : sequencer(manager, host) {
        m_previous = UPhysicalMemory::Replace(ScriptedMemory);
        g_memory.totalPhys = 8192 * MB;
        g_memory.availPhys = 4096 * MB;
    }
    ~PropertySheetTest() override { UPhysicalMemory::Replace(m_previous); }

    CVelmoraEXData& AddDisk(uint64_t sizeMB, int32_t mode = MODE_NOT_MOUNTED, unsigned char letter = 'R') {
        CVelmoraEXData disk;
        disk.Status.SettingsPath = scratch.Path() + L"\\VelmoraEX0.ini";
        disk.Status.DiskOperation = OP_IDLE;
        disk.Status.Mode = mode;
        disk.Status.CurrentLetter = mode != MODE_NOT_MOUNTED ? L'R' : 0;
        disk.Setting.LoadAtStartup = 1;
        disk.Setting.DriveSize = sizeMB * MB;
        disk.Setting.DriveLetter = letter;
        disk.Setting.SaveType = SAVE_WRITE_BACK;
        disk.Setting.LoadType = LOAD_FAST;
        disk.Setting.BackupBaseDir = scratch.Path() + L"\\Backup0";
        disk.Setting.FormatType = FORMAT_TYPE_NTFS;
        disk.Setting.MemType = 1;
        disk.Setting.CacheSetting.FirefoxCache = 1;
        manager.AddDisk(disk);
        return const_cast<CVelmoraEXData&>(manager.Disks().back());
    }
    const std::wstring& DiskPath() const { return manager.Disks().back().Status.SettingsPath; }

    // Opens the sheet modeless and lets it make its pages; its changes go to by.
    CVMUPropertySheet& Open(bool existing, CDiskSequencer& by) {
        if (existing)
            sheet.reset(
                new CVMUPropertySheet(manager, by, prompt, DiskPath(), L"RAMディスク(R:)のプロパティ", nullptr));
        else
            sheet.reset(new CVMUPropertySheet(manager, by, prompt, nullptr));
        EXPECT_TRUE(sheet->Create());
        Pump(100);
        page = sheet->WholePage().m_hWnd;
        EXPECT_NE(page, nullptr);
        return *sheet;
    }
    CVMUPropertySheet& Open(bool existing = true) { return Open(existing, sequencer); }

    std::wstring Text(int id) const {
        wchar_t text[64] = {};
        GetDlgItemTextW(page, id, text, 64);
        return text;
    }
    void SetSize(const wchar_t* text) { SetDlgItemTextW(page, IDC_PROPERTY_SIZE, text); }
    HWND Slider() const { return GetDlgItem(page, IDC_PROPERTY_SIZE_SLIDER); }
    LRESULT SliderPos() const { return SendMessageW(Slider(), TBM_GETPOS, 0, 0); }
    LRESULT SliderMax() const { return SendMessageW(Slider(), TBM_GETRANGEMAX, 0, 0); }
    LRESULT FormatIndex() const { return SendDlgItemMessageW(page, IDC_PROPERTY_FORMAT, CB_GETCURSEL, 0, 0); }
    std::wstring SelectedLetter() const {
        HWND combo = GetDlgItem(page, IDC_PROPERTY_LETTER);
        wchar_t text[16] = {};
        SendMessageW(combo, CB_GETLBTEXT, SendMessageW(combo, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(text));
        return text;
    }
    void ClickStartup() { SendDlgItemMessageW(page, IDC_PROPERTY_STARTUP, BM_CLICK, 0, 0); }
    bool StartupChecked() const { return IsDlgButtonChecked(page, IDC_PROPERTY_STARTUP) == BST_CHECKED; }
    // OK as its button: true when the sheet closed.
    bool PressOk() {
        HWND hwnd = sheet->m_hWnd;
        SendMessageW(GetDlgItem(hwnd, IDOK), BM_CLICK, 0, 0);
        Pump(50);
        return !IsWindow(hwnd);
    }
    void ExpectNothingStarted() {
        EXPECT_EQ(sequencer.PendingChange(), nullptr);
        EXPECT_TRUE(host.queue.empty());
        EXPECT_FALSE(sheet->ChangeStarted());
    }
    // Opens the virtual-link page's add dialog and offers each text in turn with OK; what the
    // dialog's box held when each text after the first went in (the previous text as the dialog
    // left it) is added to `seen`. Cancel when a text is left over.
    void RunAddDialog(HWND vlinkPage, const std::vector<std::wstring>& texts,
                      std::vector<std::wstring>* seen = nullptr) {
        auto dialog = [] { return FindWindowW(L"#32770", L"仮想リンクの作成"); };
        uidriver::Script script;
        for (size_t i = 0; i < texts.size(); ++i) {
            script.Add(
                L"add dialog", [&] { return dialog() != nullptr; },
                [&, i] {
                    wchar_t left[MAX_PATH] = {};
                    GetDlgItemTextW(dialog(), IDC_VLINK_ADD_FOLDER, left, MAX_PATH);
                    if (seen && i > 0) seen->push_back(left);
                    SetDlgItemTextW(dialog(), IDC_VLINK_ADD_FOLDER, texts[i].c_str());
                    PostMessageW(dialog(), WM_COMMAND, IDOK, 0);
                });
        }
        script.Start(10000, [&] {
            if (HWND d = dialog()) PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
        });
        SendDlgItemMessageW(vlinkPage, IDC_VLINK_CREATE, BM_CLICK, 0, 0);
        uidriver::WaitFor([&] { return script.Done() || script.Failed(); }, 15000);
        uidriver::WaitFor([&] { return dialog() == nullptr; }, 5000);
        EXPECT_FALSE(script.Failed());
    }
    // A folder of files with Japanese names, one of them in a subfolder, to link.
    static const std::vector<std::pair<std::wstring, std::vector<char>>>& LinkedFiles() {
        static const std::vector<std::pair<std::wstring, std::vector<char>>> files = {
            {L"メモ.txt", {'\xE4', '\xB8', '\x80', '\r', '\n'}},
            {L"data.bin", std::vector<char>(70000, '\x5A')},
            {L"写真\\猫.jpg", {'\xFF', '\xD8', '\xFF', '\0', '\x01'}},
            {L"写真\\空.txt", {}},
        };
        return files;
    }
    static void MakeLinkedFiles(const std::wstring& folder) {
        ASSERT_TRUE(ScratchFolder::MakeFolder(folder));
        ASSERT_TRUE(ScratchFolder::MakeFolder(folder + L"\\写真"));
        for (const auto& file : LinkedFiles())
            ASSERT_TRUE(ScratchFolder::Write(folder + L"\\" + file.first, file.second));
    }
    static void ExpectLinkedFiles(const std::wstring& folder) {
        for (const auto& file : LinkedFiles()) {
            SCOPED_TRACE(folder + L"\\" + file.first);
            ASSERT_TRUE(ScratchFolder::Exists(folder + L"\\" + file.first));
            EXPECT_EQ(ScratchFolder::Read(folder + L"\\" + file.first), file.second);
        }
    }
    void ExpectBox(size_t index, const std::wstring& text, UINT style, const std::wstring& caption) {
        ASSERT_GT(prompt.boxes.size(), index);
        EXPECT_EQ(prompt.boxes[index].text, text);
        EXPECT_EQ(prompt.boxes[index].style, style);
        EXPECT_EQ(prompt.boxes[index].caption, caption);
    }

    ScratchFolder scratch;
    CVelmoraEXManager manager;
    RecordingHost host;
    CDiskSequencer sequencer;
    RecordingPrompt prompt{IDCANCEL};
    std::unique_ptr<CVMUPropertySheet> sheet;
    HWND page = nullptr;

private:
    UPhysicalMemory::Reader m_previous;
};

void CALLBACK PressNewSheetOk(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND found = FindWindowW(nullptr, L"新規")) PostMessageW(found, WM_COMMAND, IDOK, 0);
}

const std::wstring kCaption = L"RAMディスク(R:)のプロパティ";

TEST_F(PropertySheetTest, SliderLimitCountsTheMountedDiskAndKeepsAnOversizedDisk) {
    CVelmoraEXData& disk = AddDisk(512, MODE_MEMORY);
    disk.Status.DriverValue1 = 1024 * MB;
    Open();
    EXPECT_EQ(sheet->WholePage().SizeLimit(), 4992u);  // 4096 + 1024 - 128
    EXPECT_EQ(SliderMax(), 4992);
    EXPECT_EQ(SliderPos(), 512);
    EXPECT_EQ(Text(IDC_PROPERTY_SIZE), L"512");
    EXPECT_EQ(SelectedLetter(), L"R:");
    EXPECT_EQ(FormatIndex(), 0);
    EXPECT_TRUE(StartupChecked());
    sheet.reset();

    // Less memory than the disk has: its own size stays selectable and OK asks nothing.
    g_memory.availPhys = 1024 * MB;
    disk.Status.Mode = MODE_NOT_MOUNTED;
    Open();
    EXPECT_EQ(SliderMax(), 896);
    sheet.reset();
    disk.Setting.DriveSize = 2048 * MB;
    Open();
    EXPECT_EQ(SliderMax(), 2048);
    EXPECT_EQ(Text(IDC_PROPERTY_SIZE), L"2048");
    EXPECT_TRUE(PressOk());
    EXPECT_TRUE(prompt.boxes.empty());
    ExpectNothingStarted();
}

TEST_F(PropertySheetTest, DriveListOffersFreeLettersAndTheDisksOwn) {
    AddDisk(64, MODE_MEMORY, 'c');  // C: is in use (by the disk itself, as far as the list knows)
    Open();
    HWND combo = GetDlgItem(page, IDC_PROPERTY_LETTER);
    EXPECT_EQ(SelectedLetter(), L"C:");
    EXPECT_NE(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"自動")),
              CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Z:")),
              CB_ERR);
    // The lower-case letter of the file is the same letter: OK changes nothing.
    EXPECT_TRUE(PressOk());
    ExpectNothingStarted();
}

TEST_F(PropertySheetTest, SliderAndTextFollowEachOther) {
    Open(false);
    EXPECT_EQ(Text(IDC_PROPERTY_SIZE), L"128");
    const LRESULT limit = SliderMax();
    EXPECT_EQ(limit, 3968);

    SetSize(L"300");
    EXPECT_EQ(SliderPos(), 300);
    SetSize(L"0");
    EXPECT_EQ(SliderPos(), 1);
    Pump(100);  // the slider draws (and reports) its new position
    EXPECT_EQ(Text(IDC_PROPERTY_SIZE), L"0");
    SetSize(L"99999999999");
    EXPECT_EQ(SliderPos(), limit);
    Pump(100);
    EXPECT_EQ(Text(IDC_PROPERTY_SIZE), L"99999999999");

    // Moved by the user (keys), the slider writes its position into the text.
    SetSize(L"200");
    SendMessageW(Slider(), WM_KEYDOWN, VK_HOME, 0);
    Pump(100);
    EXPECT_EQ(Text(IDC_PROPERTY_SIZE), L"1");
    SendMessageW(Slider(), WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(Slider(), WM_KEYUP, VK_RIGHT, 0);
    EXPECT_EQ(Text(IDC_PROPERTY_SIZE), L"2");
}

TEST_F(PropertySheetTest, SizeChecksRefuseWithTheirMessages) {
    Open(false);
    SetSize(L"0");
    EXPECT_FALSE(PressOk());
    ExpectBox(0, L"1MB以上、3968MB以下を設定してください。", MB_ICONINFORMATION, L"新規");

    SetSize(L"3969");
    EXPECT_FALSE(PressOk());
    ExpectBox(1, L"メモリーが不足しています。\n3968MB以下に設定するか、メモリーを増設してください。",
              MB_ICONINFORMATION, L"新規");

    g_memory.availPhys = 64 * MB + MB / 2;  // 64 MB, less the reserve, leaves nothing
    SetSize(L"16");
    EXPECT_FALSE(PressOk());
    ExpectBox(2,
              L"利用可能メモリーが64MB以下です。\nWindowsのパフォーマンスが低下する可能性があるためRAMディスクを有効に"
              L"できません。\n"
              L"メモリーを増設してください。",
              MB_ICONINFORMATION, L"新規");

    g_memory.totalPhys = 256 * MB;
    EXPECT_FALSE(PressOk());
    ExpectBox(3,
              L"システムメモリーが256MB以下です。\nWindowsのパフォーマンスが低下する可能性があるためRAMディスクを有効に"
              L"できません。\n"
              L"メモリーを増設してください。",
              MB_ICONINFORMATION, L"新規");
    ExpectNothingStarted();
}

TEST_F(PropertySheetTest, NtfsAtOneMegabyteSwitchesToFatOnOk) {
    Open(false);
    SetSize(L"1");
    EXPECT_FALSE(PressOk());  // Cancel
    ExpectBox(0, L"NTFSを使用できないディスク容量です。\nフォーマットをFATに設定します。",
              MB_OKCANCEL | MB_ICONEXCLAMATION, L"新規");
    ExpectNothingStarted();
    EXPECT_EQ(FormatIndex(), 0);

    prompt.answers = {IDOK};
    EXPECT_TRUE(PressOk());
    ASSERT_NE(sequencer.PendingChange(), nullptr);
    EXPECT_EQ(sequencer.PendingChange()->NewSetting.FormatType, FORMAT_TYPE_FAT_AUTO);
    EXPECT_EQ(sequencer.PendingChange()->NewSetting.DriveSize, MB);
}

TEST_F(PropertySheetTest, NewDiskOkAlwaysStartsTheChange) {
    Open(false);
    const std::wstring path = sheet->Property().SettingsPath;
    EXPECT_FALSE(path.empty());
    EXPECT_EQ(SelectedLetter(), L"自動");
    EXPECT_EQ(sheet->GetPageCount(), 3);  // no virtual-link page for a new disk
    EXPECT_EQ(sheet->VlinkPage().m_hWnd, nullptr);
    EXPECT_TRUE(PressOk());
    EXPECT_TRUE(prompt.boxes.empty());
    const CVelmoraEXPropertyData* change = sequencer.PendingChange();
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->IsNew, 1);
    EXPECT_EQ(change->NeedsRemount, 1);
    EXPECT_EQ(change->FromSheet, 1);
    EXPECT_EQ(change->SettingsPath, path);
    const CVelmoraEXSettingData& s = change->NewSetting;
    EXPECT_EQ(s.DriveSize, 128 * MB);
    EXPECT_EQ(s.DriveLetter, kDriveLetterAutomatic);
    EXPECT_EQ(s.FormatType, FORMAT_TYPE_NTFS);
    EXPECT_EQ(s.LoadAtStartup, 1);
    EXPECT_EQ(s.MemType, 1);
    EXPECT_EQ(s.SaveType, SAVE_AT_LOGOFF);  // the new disk's default backup
    EXPECT_FALSE(s.BackupBaseDir.empty());
    EXPECT_EQ(change->OldSetting.DriveSize, 0u);
    EXPECT_EQ(host.queue.size(), 1u);  // the settings task
    CVelmoraEXData added;
    EXPECT_EQ(manager.FindDisk(path, added), 1);
}

TEST_F(PropertySheetTest, StartupOnlyChangeKeepsTheOtherSettings) {
    AddDisk(512);
    Open();
    ClickStartup();
    EXPECT_FALSE(StartupChecked());
    EXPECT_TRUE(PressOk());
    EXPECT_TRUE(prompt.boxes.empty());  // no 3105
    const CVelmoraEXPropertyData* change = sequencer.PendingChange();
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->IsNew, 0);
    EXPECT_EQ(change->ChangeFlags, static_cast<uint32_t>(CHANGE_LOAD_AT_STARTUP));
    EXPECT_EQ(change->NeedsRemount, 0);
    EXPECT_EQ(change->NewSetting.LoadAtStartup, 0);
    EXPECT_EQ(change->NewSetting.SaveType, SAVE_WRITE_BACK);
    EXPECT_EQ(change->NewSetting.LoadType, LOAD_FAST);
    EXPECT_EQ(change->NewSetting.BackupBaseDir, change->OldSetting.BackupBaseDir);
    EXPECT_EQ(change->NewSetting.CacheSetting.FirefoxCache, 1);
    EXPECT_EQ(host.queue.size(), 1u);
}

TEST_F(PropertySheetTest, SizeOrFormatChangeAsksBeforeTheDiskIsRecreated) {
    AddDisk(512, MODE_MEMORY);
    Open();
    const std::wstring question =
        L"ディスク容量、フォーマットが変更されたため現在のドライブを削除します。ディスク内のデータは全て失われます。続"
        L"行しますか？";
    SetSize(L"600");
    prompt.answers = {IDNO};
    EXPECT_FALSE(PressOk());
    ExpectBox(0, question, MB_YESNO | MB_ICONEXCLAMATION, kCaption);
    ExpectNothingStarted();

    // Back to the old size, FAT instead: asked again.
    SetSize(L"512");
    SendDlgItemMessageW(page, IDC_PROPERTY_FORMAT, CB_SETCURSEL, 1, 0);
    EXPECT_FALSE(PressOk());
    ExpectBox(1, question, MB_YESNO | MB_ICONEXCLAMATION, kCaption);

    SetSize(L"600");
    prompt.answers = {IDYES};
    EXPECT_TRUE(PressOk());
    ASSERT_NE(sequencer.PendingChange(), nullptr);
    EXPECT_EQ(sequencer.PendingChange()->ChangeFlags, static_cast<uint32_t>(CHANGE_DRIVE_SIZE | CHANGE_FORMAT_TYPE));
    EXPECT_EQ(sequencer.PendingChange()->NeedsRemount, 1);
}

TEST_F(PropertySheetTest, CancelChangesNothing) {
    AddDisk(512);
    Open();
    SetSize(L"700");
    ClickStartup();
    HWND hwnd = sheet->m_hWnd;
    SendMessageW(GetDlgItem(hwnd, IDCANCEL), BM_CLICK, 0, 0);
    Pump(50);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(prompt.boxes.empty());
    ExpectNothingStarted();
    CVelmoraEXData disk;
    ASSERT_EQ(manager.FindDisk(DiskPath(), disk), 1);
    EXPECT_EQ(disk.Setting.DriveSize, 512 * MB);
    EXPECT_EQ(disk.Setting.LoadAtStartup, 1);
}

TEST_F(PropertySheetTest, StartupOffWithIECacheAsks) {
    CVelmoraEXData& disk = AddDisk(512);
    disk.Setting.CacheSetting.IECache = 1;
    Open();
    const std::wstring question =
        L"Internet "
        L"Explorerのインターネット一時ファイルをRAMディスクに設定にしているため、起動時にRAMディスクを有効にしておく必"
        L"要があります。\n"
        L"インターネット一時ファイルの設定をオフにしますか？";
    prompt.answers = {IDNO};
    ClickStartup();
    ExpectBox(0, question, MB_YESNO | MB_ICONEXCLAMATION, kCaption);
    EXPECT_TRUE(StartupChecked());

    prompt.answers = {IDYES};
    ClickStartup();
    EXPECT_EQ(prompt.boxes.size(), 2u);
    EXPECT_FALSE(StartupChecked());
    EXPECT_TRUE(PressOk());
    // Handed on (the sequencer of this build stops at the browser-cache step).
    EXPECT_TRUE(sheet->ChangeStarted());
    EXPECT_EQ(sheet->Property().ChangeFlags, static_cast<uint32_t>(CHANGE_LOAD_AT_STARTUP | CHANGE_IE_CACHE));
    EXPECT_EQ(sheet->Property().NewSetting.CacheSetting.IECache, 0);
    EXPECT_EQ(sheet->Property().NewSetting.LoadAtStartup, 0);
}

TEST_F(PropertySheetTest, PendingSettingsFileIsEditedOrDropped) {
    AddDisk(512);
    const std::wstring pending = USettingsPaths::GetPendingSettingsPath(DiskPath());
    CVelmoraEXSettingData waiting = manager.Disks().back().Setting;
    waiting.DriveSize = 256 * MB;
    waiting.DriveLetter = 'S';
    USettingsFile::WriteRamDisk(pending, waiting);
    Open();
    EXPECT_EQ(Text(IDC_PROPERTY_SIZE), L"256");
    EXPECT_EQ(SelectedLetter(), L"S:");
    EXPECT_EQ(sheet->Property().OldSetting.DriveSize, 256 * MB);
    EXPECT_TRUE(PressOk());
    ExpectNothingStarted();
    EXPECT_NE(GetFileAttributesW(pending.c_str()), INVALID_FILE_ATTRIBUTES);

    // Without a size the file is of no use.
    waiting.DriveSize = 0;
    DeleteFileW(pending.c_str());
    USettingsFile::WriteRamDisk(pending, waiting);
    Open();
    EXPECT_EQ(Text(IDC_PROPERTY_SIZE), L"512");
    EXPECT_EQ(GetFileAttributesW(pending.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PropertySheetTest, FactoryAndModalRun) {
    AddDisk(512);
    CVMUPropertySheetFactory factory(manager, sequencer, prompt);
    EXPECT_EQ(factory.Create(nullptr, scratch.Path() + L"\\VelmoraEX9.ini", L"x"), nullptr);
    ASSERT_NE(factory.Create(nullptr, DiskPath(), kCaption), nullptr);

    std::unique_ptr<CPropertySheet> modal = factory.Create(nullptr, L"", L"");
    ASSERT_NE(modal, nullptr);
    // The OK button is pressed once the modal sheet is up.
    SetTimer(nullptr, 0, 300, PressNewSheetOk);
    EXPECT_GT(modal->DoModal(), 0);
    ASSERT_NE(sequencer.PendingChange(), nullptr);
    EXPECT_EQ(sequencer.PendingChange()->IsNew, 1);
}

// Every control lies inside the page as the sheet shows it, and its text fits the control.
TEST_F(PropertySheetTest, PageLayoutFits) {
    Open(false);
    RECT area;
    GetClientRect(page, &area);
    int texts = 0, controls = 0;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++controls) {
        wchar_t cls[32] = {}, text[128] = {};
        GetClassNameW(child, cls, 32);
        GetWindowTextW(child, text, 128);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= area.right && r.bottom <= area.bottom)
            << "control " << GetDlgCtrlID(child) << " of class " << testing::PrintToString(std::wstring(cls))
            << " leaves the page";
        if (!text[0] || (lstrcmpiW(cls, L"Static") != 0 && lstrcmpiW(cls, L"Button") != 0)) continue;
        HDC dc = GetDC(child);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        SIZE extent = {};
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        RECT box;
        GetClientRect(child, &box);
        const LONG room = box.right - (lstrcmpiW(cls, L"Button") == 0 ? 20 : 0);
        EXPECT_LE(extent.cx, room) << testing::PrintToString(std::wstring(text)) << " does not fit";
        ++texts;
    }
    EXPECT_GE(texts, 5);
    EXPECT_GE(controls, 10);
}

}  // namespace

// The backup page: its values from the disk, the timing that snaps back while the Chrome cache or
// a link needs the backup, the folder checks of its apply, and the question before the backup
// of an existing disk goes off.
TEST_F(PropertySheetTest, BackupPageGuardsTheTimingAndTheFolder) {
    const std::wstring title = L"RAMディスク(R:)のプロパティ";
    CVelmoraEXData other;
    other.Status.SettingsPath = scratch.Path() + L"\\VelmoraEX1.ini";
    other.Status.Mode = MODE_MEMORY;
    other.Status.DiskOperation = OP_IDLE;
    other.Status.CurrentLetter = L'S';
    other.Setting.SaveType = SAVE_AT_LOGOFF;
    other.Setting.BackupBaseDir = scratch.Path() + L"\\Taken";
    manager.AddDisk(other);
    CVelmoraEXData& disk = AddDisk(256);
    disk.Setting.CacheSetting.ChromeCache = 1;
    Open();
    HWND backup = sheet->BackupPage().m_hWnd;
    ASSERT_NE(backup, nullptr);
    auto checked = [&](int id) { return IsDlgButtonChecked(backup, id) == BST_CHECKED; };
    EXPECT_TRUE(checked(IDC_BACKUP_WRITEBACK));
    EXPECT_TRUE(checked(IDC_BACKUP_LOAD_FAST));
    wchar_t folder[MAX_PATH] = {};
    GetDlgItemTextW(backup, IDC_BACKUP_FOLDER, folder, MAX_PATH);
    EXPECT_EQ(std::wstring(folder), scratch.Path() + L"\\Backup0");
    // "デフォルト" for a folder outside the data folder: the next free default folder.
    SendDlgItemMessageW(backup, IDC_BACKUP_DEFAULT, BM_CLICK, 0, 0);
    GetDlgItemTextW(backup, IDC_BACKUP_FOLDER, folder, MAX_PATH);
    EXPECT_EQ(std::wstring(folder), USettingsPaths::GetNewBackupFolder());
    EXPECT_EQ(std::wstring(folder).rfind(GetDataFolder(), 0), 0u);

    // No backup while the Chrome cache is on: 6063, and the timing snaps back.
    SendDlgItemMessageW(backup, IDC_BACKUP_NONE, BM_CLICK, 0, 0);
    ExpectBox(0, L"Google Chromeのキャッシュが設定されているため、バックアップは必要です。", MB_ICONINFORMATION, title);
    EXPECT_TRUE(checked(IDC_BACKUP_WRITEBACK));
    EXPECT_FALSE(checked(IDC_BACKUP_NONE));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(backup, IDC_BACKUP_FOLDER)));
    sheet->DestroyWindow();

    // With links instead: 6064. With neither: the folder controls go grey.
    disk.Setting.CacheSetting.ChromeCache = 0;
    disk.Vlinks.push_back(CVelmoraEXVlinkData(L"C:\\a", L"\\Vlink\\a", L"C:\\a_Backup"));
    Open();
    backup = sheet->BackupPage().m_hWnd;
    SendDlgItemMessageW(backup, IDC_BACKUP_NONE, BM_CLICK, 0, 0);
    ExpectBox(1, L"仮想リンクが設定されているため、バックアップは必要です。", MB_ICONINFORMATION, title);
    EXPECT_TRUE(checked(IDC_BACKUP_WRITEBACK));
    sheet->DestroyWindow();
    disk.Vlinks.clear();
    Open();
    backup = sheet->BackupPage().m_hWnd;
    SendDlgItemMessageW(backup, IDC_BACKUP_NONE, BM_CLICK, 0, 0);
    EXPECT_EQ(prompt.boxes.size(), 2u);
    for (int id : {IDC_BACKUP_FOLDER, IDC_BACKUP_BROWSE, IDC_BACKUP_DEFAULT, IDC_BACKUP_LOAD_NORMAL})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(backup, id))) << id;

    // Backup off for an existing disk asks 4111; Cancel keeps the sheet open.
    prompt.answers.push_back(IDCANCEL);
    EXPECT_FALSE(PressOk());
    ExpectBox(
        2,
        L"バックアップを行わない設定が選択されました。ログオフ時にディスク内のデータは全て失われます。\nまた、"
        L"RAMディスクにソフトをインストールした場合は、アンインストールできなくなる場合があります。\n続行しますか？",
        MB_OKCANCEL | MB_ICONEXCLAMATION, title);
    ExpectNothingStarted();

    // The folder checks, each refusing with its message, in their order.
    SendDlgItemMessageW(backup, IDC_BACKUP_LOGOFF, BM_CLICK, 0, 0);
    const struct {
        std::wstring folder, message;
    } refusals[] = {
        {L"", L"バックアップ先を指定してください"},
        {L"s:\\backup",
         L"RAMディスクをバックアップ先として指定することはできません。\n他のドライブを指定してください。"},
        {scratch.Path() + L"\\Taken", L"バックアップ先は他の設定と同じ場所にはできません。"},
    };
    size_t shown = prompt.boxes.size();
    for (const auto& refusal : refusals) {
        SetDlgItemTextW(backup, IDC_BACKUP_FOLDER, refusal.folder.c_str());
        EXPECT_FALSE(PressOk());
        ExpectBox(shown++, refusal.message, MB_ICONINFORMATION, title);
    }
    ExpectNothingStarted();

    // A free folder and normal creation: accepted, carried into the change.
    SetDlgItemTextW(backup, IDC_BACKUP_FOLDER, (scratch.Path() + L"\\Elsewhere").c_str());
    SendDlgItemMessageW(backup, IDC_BACKUP_LOAD_NORMAL, BM_CLICK, 0, 0);
    EXPECT_TRUE(PressOk());
    EXPECT_EQ(prompt.boxes.size(), shown);
    ASSERT_NE(sequencer.PendingChange(), nullptr);
    EXPECT_EQ(sequencer.PendingChange()->NewSetting.SaveType, SAVE_AT_LOGOFF);
    EXPECT_EQ(sequencer.PendingChange()->NewSetting.LoadType, LOAD_NORMAL);
    EXPECT_EQ(sequencer.PendingChange()->NewSetting.BackupBaseDir, scratch.Path() + L"\\Elsewhere");
}

namespace {
// The browser facts a test chooses.
class ChosenBrowserFacts : public IBrowserFacts {
public:
    bool IsInternetExplorer10() override { return ie10; }
    bool IsWindows2000() override { return windows2000; }
    bool IsFirefoxRunning() override { return firefoxRunning; }
    bool IsFirefoxInstalled() override { return firefoxInstalled; }
    bool IsChromeRunning() override { return chromeRunning; }
    std::wstring ChromeCacheFolder() override { return chromeCache; }
    bool ie10 = false, windows2000 = false, firefoxRunning = false, firefoxInstalled = true, chromeRunning = false;
    std::wstring chromeCache;
};
}  // namespace

// Each check of the browser-cache page's boxes, in its order, with its message and its effect.
TEST_F(PropertySheetTest, BrowserCachePageChecksEachBoxAgainstTheSystem) {
    const std::wstring title = L"RAMディスク(R:)のプロパティ";
    CVelmoraEXData other;
    other.Status.SettingsPath = scratch.Path() + L"\\VelmoraEX1.ini";
    other.Status.DiskOperation = OP_IDLE;
    other.Setting.CacheSetting.IEHistory = 1;
    manager.AddDisk(other);
    CVelmoraEXData& disk = AddDisk(256);
    disk.Setting.CacheSetting.FirefoxCache = 0;
    const std::wstring chromeCache = scratch.Path() + L"\\ChromeCache";
    ASSERT_TRUE(ScratchFolder::MakeFolder(chromeCache));

    struct Case {
        const char* name;
        int box;
        std::function<void(ChosenBrowserFacts&)> set;
        std::wstring message;  // empty: accepted without a box
        bool checkedAfter;
    };
    const std::wstring running = L"起動中は設定を変更できません。";
    const Case cases[] = {
        {"IE history taken by another disk", IDC_CACHE_IE_HISTORY, [](ChosenBrowserFacts&) {},
         L"Internet Explorerの履歴は他のドライブに設定されています。", false},
        {"Firefox running", IDC_CACHE_FIREFOX, [](ChosenBrowserFacts& f) { f.firefoxRunning = true; },
         L"Mozilla Firefox" + running, false},
        {"Firefox not installed", IDC_CACHE_FIREFOX, [](ChosenBrowserFacts& f) { f.firefoxInstalled = false; },
         L"Mozilla Firefoxをインストールしてから設定してください。", false},
        {"Firefox accepted", IDC_CACHE_FIREFOX, [](ChosenBrowserFacts&) {}, L"", true},
        {"Chrome running", IDC_CACHE_CHROME, [](ChosenBrowserFacts& f) { f.chromeRunning = true; },
         L"Google Chrome" + running, false},
        {"Windows 2000", IDC_CACHE_CHROME, [](ChosenBrowserFacts& f) { f.windows2000 = true; },
         L"このOSはGoogle Chromeのキャッシュを設定できません。", false},
        {"no Chrome cache folder", IDC_CACHE_CHROME, [](ChosenBrowserFacts& f) { f.chromeCache.clear(); },
         L"Google Chromeのキャッシュフォルダが見つかりません。", false},
        {"Chrome accepted", IDC_CACHE_CHROME, [](ChosenBrowserFacts&) {}, L"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChosenBrowserFacts facts;
        facts.chromeCache = chromeCache;
        c.set(facts);
        prompt.boxes.clear();
        Open();
        sheet->SetBrowserFacts(&facts);
        HWND cache = sheet->BrowserCachePage().m_hWnd;
        ASSERT_NE(cache, nullptr);
        SendDlgItemMessageW(cache, c.box, BM_CLICK, 0, 0);
        if (c.message.empty()) {
            EXPECT_TRUE(prompt.boxes.empty());
        } else {
            ExpectBox(0, c.message, MB_ICONINFORMATION, title);
        }
        EXPECT_EQ(IsDlgButtonChecked(cache, c.box) == BST_CHECKED, c.checkedAfter);
        sheet->DestroyWindow();
    }

    // A cache another disk already has is refused, each with its own message.
    {
        CVelmoraEXCacheSettingData& taken = const_cast<CVelmoraEXData&>(manager.Disks().front()).Setting.CacheSetting;
        taken.IECache = taken.FirefoxCache = taken.ChromeCache = 1;
        ChosenBrowserFacts facts;
        facts.chromeCache = chromeCache;
        prompt.boxes.clear();
        Open();
        sheet->SetBrowserFacts(&facts);
        HWND cache = sheet->BrowserCachePage().m_hWnd;
        const std::pair<int, std::wstring> refused[] = {
            {IDC_CACHE_IE_FILES, L"Internet Explorerのインターネット一時ファイルは他のドライブに設定されています。"},
            {IDC_CACHE_FIREFOX, L"Mozilla Firefoxのインターネット一時ファイルは他のドライブに設定されています。"},
            {IDC_CACHE_CHROME, L"Google Chromeのキャッシュは他のドライブに設定されています。"},
        };
        for (size_t i = 0; i < 3; ++i) {
            SendDlgItemMessageW(cache, refused[i].first, BM_CLICK, 0, 0);
            ExpectBox(i, refused[i].second, MB_ICONINFORMATION, title);
            EXPECT_NE(IsDlgButtonChecked(cache, refused[i].first), BST_CHECKED);
        }
        sheet->DestroyWindow();
        taken.IECache = taken.FirefoxCache = taken.ChromeCache = 0;
    }

    // Running Firefox undoes a click that turns the cache off too.
    disk.Setting.CacheSetting.FirefoxCache = 1;
    ChosenBrowserFacts facts;
    facts.firefoxRunning = true;
    prompt.boxes.clear();
    Open();
    sheet->SetBrowserFacts(&facts);
    HWND cache = sheet->BrowserCachePage().m_hWnd;
    SendDlgItemMessageW(cache, IDC_CACHE_FIREFOX, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(cache, IDC_CACHE_FIREFOX), BST_CHECKED);
    ExpectBox(0, L"Mozilla Firefox" + running, MB_ICONINFORMATION, title);
    sheet->DestroyWindow();

    // Chrome needs the backup; a cache folder that already is a junction belongs to a link.
    facts = ChosenBrowserFacts();
    facts.chromeCache = chromeCache;
    prompt.boxes.clear();
    Open();
    sheet->SetBrowserFacts(&facts);
    cache = sheet->BrowserCachePage().m_hWnd;
    SendDlgItemMessageW(sheet->BackupPage().m_hWnd, IDC_BACKUP_NONE, BM_CLICK, 0, 0);
    SendDlgItemMessageW(cache, IDC_CACHE_CHROME, BM_CLICK, 0, 0);
    ExpectBox(0, L"Google Chromeのキャッシュを設定するには、バックアップをする設定に変更してください。",
              MB_ICONINFORMATION, title);
    SendDlgItemMessageW(sheet->BackupPage().m_hWnd, IDC_BACKUP_LOGOFF, BM_CLICK, 0, 0);
    {
        FakeReparsePoints points;
        ASSERT_TRUE(UJunction::SetMountPoint(chromeCache, L"\\??\\Q:\\x", L"Q:\\x"));
        SendDlgItemMessageW(cache, IDC_CACHE_CHROME, BM_CLICK, 0, 0);
        ExpectBox(1, L"Google Chromeのキャッシュは他で仮想リンクに設定されています。", MB_ICONINFORMATION, title);
        EXPECT_NE(IsDlgButtonChecked(cache, IDC_CACHE_CHROME), BST_CHECKED);
    }

    // Temporary files need the disk at start-up: No leaves them off, Yes checks the start-up box;
    // then the start-up box off asks 4126 and Yes unchecks them here.
    ClickStartup();
    ASSERT_FALSE(StartupChecked());
    prompt.answers = {IDNO, IDYES};
    SendDlgItemMessageW(cache, IDC_CACHE_IE_FILES, BM_CLICK, 0, 0);
    EXPECT_NE(IsDlgButtonChecked(cache, IDC_CACHE_IE_FILES), BST_CHECKED);
    SendDlgItemMessageW(cache, IDC_CACHE_IE_FILES, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(cache, IDC_CACHE_IE_FILES), BST_CHECKED);
    EXPECT_TRUE(StartupChecked());
    ExpectBox(
        2,
        L"Internet Explorerのインターネット一時ファイルをRAMディスクに設定する場合、起動時にRAMディスクを有効にする必"
        L"要があります。\n起動時にRAMディスクを有効にしますか？",
        MB_YESNO | MB_ICONEXCLAMATION, title);
    prompt.answers = {IDYES};
    ClickStartup();
    EXPECT_NE(IsDlgButtonChecked(cache, IDC_CACHE_IE_FILES), BST_CHECKED);

    // OK writes the boxes into the change.
    SendDlgItemMessageW(cache, IDC_CACHE_FIREFOX, BM_CLICK, 0, 0);
    EXPECT_TRUE(PressOk());
    EXPECT_TRUE(sheet->ChangeStarted());
    const CVelmoraEXCacheSettingData& chosen = sheet->Property().NewSetting.CacheSetting;
    EXPECT_EQ(chosen.FirefoxCache, 0);
    EXPECT_EQ(chosen.IECache + chosen.IEHistory + chosen.ChromeCache, 0);
}

// The virtual-link page: its preconditions, the add dialog's checks, and links added and removed
// at once through the link commands, written to the settings file and the manager.
TEST_F(PropertySheetTest, VlinkPageAddsAndRemovesLinksAtOnce) {
    const std::wstring title = L"RAMディスク(R:)のプロパティ";
    CVelmoraEXData& disk = AddDisk(256);
    ASSERT_TRUE(ScratchFolder::Write(DiskPath(), {}));
    CRecordingVlinkCommands commands;

    // A disabled disk changes no links.
    Open();
    ASSERT_NE(sheet->VlinkPage().m_hWnd, nullptr);
    SendDlgItemMessageW(sheet->VlinkPage().m_hWnd, IDC_VLINK_CREATE, BM_CLICK, 0, 0);
    ExpectBox(0, L"RAMディスクが無効のため、仮想リンクの設定は変更できません。", MB_ICONINFORMATION, title);
    sheet->DestroyWindow();

    disk.Status.Mode = MODE_MEMORY;
    disk.Status.CurrentLetter = L'R';
    const std::wstring docs = scratch.Path() + L"\\Docs", other = scratch.Path() + L"\\Other";
    ASSERT_TRUE(ScratchFolder::MakeFolder(docs));
    ASSERT_TRUE(ScratchFolder::MakeFolder(other));
    Open();
    sheet->SetLinkCommands(&commands);
    HWND page = sheet->VlinkPage().m_hWnd;
    HWND list = GetDlgItem(page, IDC_VLINK_LIST);
    // The add dialog: each text refused with its message, the dialog staying open with the text as
    // it was checked (its full path once it has a drive, a folder and a name), then one accepted;
    // a second time the folder is in use and deferred. Wine's CD-ROM drives report "CDFS".
    const std::wstring caption = L"仮想リンク";
    ASSERT_TRUE(ScratchFolder::MakeFolder(scratch / L"disc"));
    ASSERT_TRUE(ScratchFolder::MakeFolder(scratch / L"disc\\Photos"));
    WineDriveLetter cdrom(L'K', scratch / L"disc", WineDriveLetter::Kind::Cdrom);
    ASSERT_TRUE(cdrom.Works());
    struct Refusal {
        std::wstring text, message, left;
    };
    const Refusal refusals[] = {
        {L"  Docs ", L"仮想リンクに設定するフォルダを指定してください。", L"Docs"},
        {L"r:\\Vlink\\Docs", L"RAMディスクに仮想リンクは設定できません。", L"r:\\Vlink\\Docs"},
        {L"K:\\Photos\\..\\Photos", L"指定したドライブは仮想リンクに対応していません。", L"K:\\Photos"},
        {scratch.Path() + L"\\Missing", L"フォルダが見つかりません。\n存在するフォルダを指定してください。",
         scratch.Path() + L"\\Missing"},
    };
    // No new link without the backup.
    SendDlgItemMessageW(sheet->BackupPage().m_hWnd, IDC_BACKUP_NONE, BM_CLICK, 0, 0);
    prompt.boxes.clear();
    SendDlgItemMessageW(page, IDC_VLINK_CREATE, BM_CLICK, 0, 0);
    ExpectBox(0, L"仮想リンクを作成するには、バックアップをする設定に変更してください。", MB_ICONINFORMATION, title);
    SendDlgItemMessageW(sheet->BackupPage().m_hWnd, IDC_BACKUP_WRITEBACK, BM_CLICK, 0, 0);
    EXPECT_TRUE(commands.calls.empty());

    prompt.boxes.clear();
    std::vector<std::wstring> texts, seen;
    for (const Refusal& r : refusals) texts.push_back(r.text);
    texts.push_back(docs);
    RunAddDialog(page, texts, &seen);
    ASSERT_EQ(prompt.boxes.size(), std::size(refusals));
    ASSERT_EQ(seen.size(), std::size(refusals));
    for (size_t i = 0; i < std::size(refusals); ++i) {
        SCOPED_TRACE(refusals[i].text);
        ExpectBox(i, refusals[i].message, MB_ICONINFORMATION, caption);
        EXPECT_EQ(seen[i], refusals[i].left);
    }
    ASSERT_EQ(commands.calls.size(), 1u);
    EXPECT_EQ(commands.calls[0].command, CRecordingVlinkCommands::kCreate);
    EXPECT_EQ(commands.calls[0].drive, L'R');
    EXPECT_EQ(commands.calls[0].link, CVelmoraEXVlinkData(docs, L"\\Vlink\\Docs", docs + L"_Backup"));
    ASSERT_EQ(uidriver::ListCount(list), 1);
    EXPECT_EQ(uidriver::ListText(list, 0, 2), L"R:\\Vlink\\Docs");

    // The same folder again is refused; another folder in use is kept for the next enable.
    commands.answers[CRecordingVlinkCommands::kCreate] = {2};
    prompt.boxes.clear();
    RunAddDialog(page, {docs, other});
    ExpectBox(0, L"このフォルダは既に仮想リンクに設定されています。", MB_ICONINFORMATION, caption);
    ASSERT_EQ(uidriver::ListCount(list), 2);
    EXPECT_EQ(uidriver::ListText(list, 1, 1), other);
    EXPECT_EQ(uidriver::ListText(list, 1, 2), L"次回有効時に設定します");

    // Both lists are in the settings file and the manager.
    std::vector<CVelmoraEXVlinkData> stored;
    std::vector<std::wstring> pending;
    USettingsFile::ReadVlink(DiskPath(), stored);
    USettingsFile::ReadRVlink(DiskPath(), pending);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].src, docs);
    EXPECT_EQ(pending, std::vector<std::wstring>{other});
    EXPECT_EQ(manager.Disks().back().Vlinks.size(), 1u);

    // Removing the link asks first, then runs the command; the pending row moves up to number 1.
    prompt.boxes.clear();
    prompt.answers = {IDYES};
    uidriver::ListSelect(list, 0);
    SendDlgItemMessageW(page, IDC_VLINK_DELETE, BM_CLICK, 0, 0);
    ExpectBox(0, L"選択中の仮想リンクを削除します。よろしいですか？", MB_YESNO | MB_ICONEXCLAMATION, caption);
    EXPECT_EQ(commands.calls.back().command, CRecordingVlinkCommands::kRemove);
    ASSERT_EQ(uidriver::ListCount(list), 1);
    EXPECT_EQ(uidriver::ListText(list, 0, 0), L"1");
    USettingsFile::ReadVlink(DiskPath(), stored);
    EXPECT_TRUE(stored.empty());

    // Cancel of the sheet keeps what the page did.
    PostMessageW(sheet->m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    Pump(100);
    USettingsFile::ReadRVlink(DiskPath(), pending);
    EXPECT_EQ(pending, std::vector<std::wstring>{other});
}

// A link made and removed for real: the page starts the VelmoraEXTools.exe beside this program,
// which moves a folder onto a RAM-disk letter and back with its link procedures; the junction
// lives in the registry store that both programs share.
TEST_F(PropertySheetTest, VlinkPageLinksAFolderThroughTheToolsProgram) {
    StoredReparsePoints junctions(StoredReparsePoints::Store::Fresh);
    ScratchFolder ram;
    WineDriveLetter drive(L'R', ram.Path());
    ASSERT_TRUE(drive.Works());
    AddDisk(256, MODE_MEMORY);
    const std::wstring source = scratch / L"書類", backup = source + L"_Backup";
    const std::wstring linked = L"R:\\Vlink\\書類";
    ASSERT_NO_FATAL_FAILURE(MakeLinkedFiles(source));
    auto storedLinks = [&] {
        std::vector<CVelmoraEXVlinkData> links;
        USettingsFile::ReadVlink(DiskPath(), links);
        return links;
    };
    const CVelmoraEXVlinkData link(source, L"\\Vlink\\書類", backup);

    // Added: the folder's files are on the RAM disk, the folder is kept under its backup name, and
    // a junction to the RAM-disk copy has taken its name; the row and [Vlink] hold the link.
    Open();
    HWND page = sheet->VlinkPage().m_hWnd;
    RunAddDialog(page, {source});
    EXPECT_TRUE(prompt.boxes.empty()) << (prompt.boxes.empty() ? std::wstring() : prompt.boxes[0].text);
    ExpectLinkedFiles(linked);
    ExpectLinkedFiles(backup);
    std::wstring target;
    EXPECT_TRUE(UJunction::IsJunction(source, &target));
    EXPECT_EQ(target, L"\\??\\" + linked);
    HWND list = GetDlgItem(page, IDC_VLINK_LIST);
    ASSERT_EQ(uidriver::ListCount(list), 1);
    EXPECT_EQ(uidriver::ListText(list, 0, 1), source);
    EXPECT_EQ(uidriver::ListText(list, 0, 2), linked);
    EXPECT_EQ(storedLinks(), std::vector<CVelmoraEXVlinkData>{link});

    // Cancel of the sheet keeps it; the sheet opened again lists it.
    PostMessageW(sheet->m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    Pump(100);
    EXPECT_EQ(storedLinks(), std::vector<CVelmoraEXVlinkData>{link});
    EXPECT_EQ(manager.Disks().back().Vlinks, std::vector<CVelmoraEXVlinkData>{link});
    EXPECT_TRUE(UJunction::IsJunction(source));
    Open();
    page = sheet->VlinkPage().m_hWnd;
    list = GetDlgItem(page, IDC_VLINK_LIST);
    ASSERT_EQ(uidriver::ListCount(list), 1);

    // Removed: the folder is real again with every file, the backup and the RAM-disk folder gone.
    prompt.answers = {IDYES};
    uidriver::ListSelect(list, 0);
    SendDlgItemMessageW(page, IDC_VLINK_DELETE, BM_CLICK, 0, 0);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    ExpectBox(0, L"選択中の仮想リンクを削除します。よろしいですか？", MB_YESNO | MB_ICONEXCLAMATION, L"仮想リンク");
    EXPECT_EQ(uidriver::ListCount(list), 0);
    EXPECT_FALSE(UJunction::IsJunction(source));
    EXPECT_TRUE(StoredReparsePoints::Data(source).empty());
    ExpectLinkedFiles(source);
    EXPECT_FALSE(ScratchFolder::Exists(backup));
    EXPECT_FALSE(ScratchFolder::Exists(L"R:\\Vlink"));
    EXPECT_TRUE(storedLinks().empty());
    EXPECT_TRUE(manager.Disks().back().Vlinks.empty());
    sheet->DestroyWindow();
}

namespace {
// The real stand-in on a pipe of this process's own, with its disks as drives. The end stops it,
// which takes its letters away and unmounts, and removes its RAM folder.
class StandinWithDrives {
public:
    ~StandinWithDrives() {
        m_child.End();
        UDriverPipeFrame::SetPipeName(nullptr);
        if (!m_ramDir.empty()) ScratchFolder::RemoveTree(m_ramDir);
    }
    bool Start(const std::wstring& fallbackRamDir) {
        const std::wstring tag = std::to_wstring(GetCurrentProcessId());
        m_pipe = L"VelmoraEXVlinkDrive-" + tag;
        UDriverPipeFrame::SetPipeName(m_pipe.c_str());
        m_ramDir = StandinRamDir(L"vmx-vlink-drive-" + tag, fallbackRamDir);
        return m_child.Start(L"--pipe-name " + m_pipe + L" --ram-dir \"" + m_ramDir + L"\" --no-startup-disks") &&
               CVelmoraAPI::IsDriverUp(10000);
    }

private:
    CStandinChild m_child;
    std::wstring m_pipe, m_ramDir;
};
}  // namespace

// A folder linked onto an NTFS disk that the stand-in mounts as a real drive, then the disk
// deleted from the status sheet: the delete has the tools program put the folder back from the
// drive (with a file written there after the link) before the disk and its letter go.
TEST_F(PropertySheetTest, DeletedDiskGivesItsLinkedFolderBackFromTheDrive) {
    if (!CDriveTree::CanMount()) GTEST_SKIP() << "no FUSE mounts of ntfs-3g and fusefat here";
    ASSERT_TRUE(EnsureDataFolder());
    StoredReparsePoints junctions(StoredReparsePoints::Store::Fresh);
    CRecordingNotifier notices;
    StandinWithDrives standin;
    ASSERT_TRUE(standin.Start(scratch / L"ram")) << "VelmoraEXStandin.exe next to the test program";
    CVMUTaskTrayWnd tray(manager);
    tray.SetPrompt(&prompt);
    ASSERT_TRUE(tray.Create());
    tray.SetStartupComplete(true);

    const std::wstring path = uidriver::MakeDisk(tray, 256 * MB, FORMAT_TYPE_NTFS, SAVE_WRITE_BACK, 'R');
    ASSERT_FALSE(path.empty()) << "disk mounted";
    ASSERT_EQ(GetDriveTypeW(L"R:\\"), static_cast<UINT>(DRIVE_RAMDISK));
    const std::wstring diskBackup = manager.Disks().back().Setting.BackupBaseDir;
    ASSERT_TRUE(ScratchFolder::Exists(diskBackup));
    const std::wstring source = scratch / L"書類", linked = L"R:\\Vlink\\書類";
    ASSERT_NO_FATAL_FAILURE(MakeLinkedFiles(source));

    prompt.boxes.clear();
    Open(true, tray.Sequencer());
    RunAddDialog(sheet->VlinkPage().m_hWnd, {source});
    EXPECT_TRUE(prompt.boxes.empty()) << (prompt.boxes.empty() ? std::wstring() : prompt.boxes[0].text);
    ExpectLinkedFiles(linked);
    EXPECT_TRUE(UJunction::IsJunction(source));
    const std::vector<char> added = {'\xE6', '\x96', '\xB0'};
    ASSERT_TRUE(ScratchFolder::Write(linked + L"\\追加.txt", added));
    PostMessageW(sheet->m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    Pump(100);
    sheet.reset();
    ASSERT_EQ(manager.Disks().back().Vlinks.size(), 1u);

    CVMUPropertySheetFactory factory(manager, tray.Sequencer(), prompt);
    CVMUStatusSheet status(tray, factory, prompt);
    ASSERT_TRUE(status.Create());
    Pump(100);
    CVelmoraDiskListCtrl& list = status.WholePage().List();
    list.SelectItem(list.FindDisk(path));
    prompt.answers = {IDYES};
    SendDlgItemMessageW(status.WholePage().GetSafeHwnd(), IDC_STATUS_DELETE, BM_CLICK, 0, 0);
    EXPECT_TRUE(uidriver::WaitFor([&] { return manager.Disks().empty() && manager.IsIdle(); }, 120000));
    status.DestroyWindow();

    ASSERT_FALSE(prompt.boxes.empty());
    EXPECT_EQ(prompt.boxes.size(), 1u) << prompt.boxes.back().text;
    ExpectBox(0, L"選択中のRAMディスクを削除します。よろしいですか？", MB_YESNO | MB_ICONEXCLAMATION, L"VelmoraEX");
    EXPECT_FALSE(UJunction::IsJunction(source));
    EXPECT_TRUE(StoredReparsePoints::Data(source).empty());
    ExpectLinkedFiles(source);
    EXPECT_EQ(ScratchFolder::Read(source + L"\\追加.txt"), added);
    EXPECT_FALSE(ScratchFolder::Exists(source + L"_Backup"));
    EXPECT_FALSE(ScratchFolder::Exists(diskBackup));
    EXPECT_FALSE(ScratchFolder::Exists(path));
    EXPECT_EQ(GetDriveTypeW(L"R:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    CStandinClient client;
    ASSERT_TRUE(client.IsOpen());
    RamDiskStatus left{};
    EXPECT_EQ(client.Query(path, 0, left), 0) << "the stand-in still has the disk";
}
