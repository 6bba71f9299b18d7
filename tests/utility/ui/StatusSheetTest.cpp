// The status sheet under Wine and Xvfb, with a real tray window and worker: the disk list's
// rows and columns, the buttons' enabling rules and actions, the status updates of column 3,
// the settings sheet opened from the page, the version page and the option dialog. Message
// boxes go to a recorder; the settings sheets come from a factory that makes a small sheet.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/PropertySheet.h"
#include "framework/ScratchFolder.h"
#include "RecordingPrompt.h"
#include "UiDriver.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/DataFolder.h"
#include "utility/disk/RamDiskStatus.h"
#include "utility/ui/DiskSequencer.h"
#include "common/Junction.h"
#include "tests/common/FakeReparsePoints.h"
#include "utility/core/MessageText.h"
#include "utility/core/PhysicalMemory.h"
#include "utility/ui/OptionDlg.h"
#include "utility/ui/PropertySheetFactory.h"
#include "utility/ui/VMUStatusSheet.h"
#include "utility/ui/VMUTaskTrayWnd.h"
#include "utility/ui/resource.h"

namespace {

// A settings page that counts the sheet's Cancel and notes when it came.
class TestSettingsPage : public CPropertyPage {
public:
    TestSettingsPage(int* resets, DWORD* resetAt)
        : CPropertyPage(IDD_STATUS_ABOUT), m_resets(resets), m_resetAt(resetAt) {}

protected:
    void OnReset() override {
        ++*m_resets;
        *m_resetAt = GetTickCount();
    }

private:
    int* m_resets;
    DWORD* m_resetAt;
};

// The settings sheet the factory makes: one page, counted while open.
class TestSettingsSheet : public CPropertySheet {
public:
    TestSettingsSheet(const std::wstring& caption, CWnd* parent, int* open, std::vector<CPropertySheet*>* live,
                      int* resets, DWORD* resetAt)
        : CPropertySheet(caption.c_str(), parent), m_page(resets, resetAt), m_open(open), m_live(live) {
        AddPage(&m_page);
    }
    ~TestSettingsSheet() override = default;

protected:
    BOOL OnInitDialog() override {
        ++*m_open;
        m_live->push_back(this);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DESTROY) {
            --*m_open;
            m_live->erase(std::find(m_live->begin(), m_live->end(), this));
        }
        return CPropertySheet::WindowProc(message, wParam, lParam);
    }

private:
    TestSettingsPage m_page;
    int* m_open;
    std::vector<CPropertySheet*>* m_live;
};

struct SheetRequest {
    CWnd* parent;
    std::wstring path, caption;
};

class TestFactory : public IPropertySheetFactory {
public:
    std::unique_ptr<CPropertySheet> Create(CWnd* parent, const std::wstring& path,
                                           const std::wstring& caption) override {
        requests.push_back({parent, path, caption});
        return std::unique_ptr<CPropertySheet>(new TestSettingsSheet(caption, parent, &open, &live, &resets, &resetAt));
    }
    std::vector<SheetRequest> requests;
    int open = 0;
    std::vector<CPropertySheet*> live;  // the open sheets
    void EndAll() {
        for (CPropertySheet* sheet : live) sheet->EndDialog(IDCANCEL);
    }
    int resets = 0;     // Cancel reached a sheet's page
    DWORD resetAt = 0;  // when the last Cancel came
};

using uidriver::Pump;
using uidriver::RecordingPrompt;

// Steps run one per tick of a thread timer, so that they also run inside nested modal loops.
// After the last step the rescue ends whatever a faulty window left open, so that a failing
// test never hangs in a modal loop; then the timer stops.
std::deque<std::function<void()>> g_steps;
std::function<void()> g_rescue;
UINT_PTR g_scriptTimer = 0;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_steps.empty()) {
        KillTimer(nullptr, g_scriptTimer);
        g_scriptTimer = 0;
        if (g_rescue) g_rescue();
        g_rescue = nullptr;
        return;
    }
    std::function<void()> step = g_steps.front();
    g_steps.pop_front();
    step();
}

void StartScript(std::deque<std::function<void()>> steps, std::function<void()> rescue = nullptr) {
    g_steps = std::move(steps);
    g_rescue = std::move(rescue);
    g_scriptTimer = SetTimer(nullptr, 0, 200, ScriptTick);
}

// Pumps until the script has run or ms passed.
void RunScript(DWORD ms) {
    const DWORD start = GetTickCount();
    while (g_scriptTimer && GetTickCount() - start < ms) Pump(50);
}

MemoryFigures FixedMemory() {
    MemoryFigures figures;
    figures.totalPhys = 8ULL << 30;
    figures.availPhys = (3ULL << 30) + 12345;
    return figures;
}

std::wstring ColumnHeading(HWND list, int column) {
    wchar_t text[64] = {};
    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_TEXT;
    lvc.pszText = text;
    lvc.cchTextMax = 64;
    SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&lvc));
    return text;
}

int ColumnFormat(HWND list, int column) {
    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_FMT;
    SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&lvc));
    return lvc.fmt & LVCFMT_JUSTIFYMASK;
}

std::wstring DriveOf(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
    return std::wstring(path).substr(0, 2);
}

// The property sheet's Apply button.
const int kApplyButton = 0x3021;

// Every control of page lies inside the page and inside the sheet's client area, and the sheet's
// buttons lie below the page: nothing is clipped.
void ExpectControlsInside(CPropertySheet& sheet, HWND page) {
    RECT client = {}, pageRect = {};
    GetClientRect(sheet.GetSafeHwnd(), &client);
    MapWindowPoints(sheet.GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    GetWindowRect(page, &pageRect);
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect = {};
        GetWindowRect(child, &rect);
        EXPECT_LE(rect.right, pageRect.right) << GetDlgCtrlID(child);
        EXPECT_LE(rect.bottom, pageRect.bottom) << GetDlgCtrlID(child);
        EXPECT_LE(rect.right, client.right) << GetDlgCtrlID(child);
        EXPECT_LE(rect.bottom, client.bottom) << GetDlgCtrlID(child);
    }
    RECT button = {};
    GetWindowRect(GetDlgItem(sheet.GetSafeHwnd(), IDCANCEL), &button);
    EXPECT_GE(button.top, pageRect.bottom);
    EXPECT_LE(button.right, client.right);
    EXPECT_LE(button.bottom, client.bottom);
}

const int kDiskButtons[] = {IDC_STATUS_NEW, IDC_STATUS_DELETE, IDC_STATUS_ENABLE, IDC_STATUS_DISABLE,
                            IDC_STATUS_PROPERTY};

class StatusSheet : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        EnsureDataFolder();
        optionFile = USettingsPaths::GetOptionFile();
        backup = optionFile + L".statustest";
        hadOptions = CopyFileW(optionFile.c_str(), backup.c_str(), FALSE) != FALSE;
        previousMemory = UPhysicalMemory::Replace(FixedMemory);

        // R: enabled in memory, WriteBack; S: disabled, complete settings; unset: disabled, no size;
        // T: enabled on its image.
        writeBack = AddDisk(L"statustest-r.ini", MODE_MEMORY, L'R', 'R', 512, SAVE_WRITE_BACK);
        disabled = AddDisk(L"statustest-s.ini", MODE_NOT_MOUNTED, 0, 'S', 256, SAVE_NONE);
        unset = AddDisk(L"statustest-u.ini", MODE_NOT_MOUNTED, 0, 0, 0, SAVE_AT_LOGOFF);
        image = AddDisk(L"statustest-t.ini", MODE_IMAGE, L'T', 'T', 1024, SAVE_AT_LOGOFF);

        tray.SetPrompt(&prompt);
        ASSERT_TRUE(tray.Create());
        tray.SetStartupComplete(true);
    }
    void TearDown() override {
        if (CVMUStatusSheet::Current()) CVMUStatusSheet::Current()->DestroyWindow();
        // Lets a task still on the worker come back before the window goes.
        for (int i = 0; i < 50 && !manager.IsIdle(); ++i) Pump(100);
        tray.DestroyWindow();
        UPhysicalMemory::Replace(previousMemory);
        if (hadOptions) {
            MoveFileExW(backup.c_str(), optionFile.c_str(), MOVEFILE_REPLACE_EXISTING);
        } else {
            DeleteFileW(optionFile.c_str());
        }
    }

    std::wstring AddDisk(const wchar_t* file, int32_t mode, wchar_t current, unsigned char letter, uint64_t sizeMiB,
                         int32_t saveType) {
        CVelmoraEXData disk;
        disk.Status.SettingsPath = JoinPath(GetDataFolder(), file);
        disk.Status.DiskOperation = OP_IDLE;
        disk.Status.Mode = mode;
        disk.Status.CurrentLetter = current;
        disk.Setting.DriveLetter = letter;
        disk.Setting.DriveSize = sizeMiB << 20;
        disk.Setting.SaveType = saveType;
        manager.AddDisk(disk);
        return disk.Status.SettingsPath;
    }

    void Open(CVMUStatusSheet& sheet) {
        ASSERT_TRUE(sheet.Create());
        Pump(100);
        page = sheet.WholePage().GetSafeHwnd();
        ASSERT_NE(page, nullptr);
    }
    HWND Item(int id) const { return GetDlgItem(page, id); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    int32_t OperationOf(const std::wstring& path) const {
        CVelmoraEXData disk;
        return manager.FindDisk(path, disk) ? disk.Status.DiskOperation : -1;
    }

    CVelmoraEXManager manager;
    RecordingPrompt prompt;
    CVMUTaskTrayWnd tray{manager};
    TestFactory factory;
    HWND page = nullptr;
    std::wstring writeBack, disabled, unset, image;
    std::wstring optionFile, backup;
    bool hadOptions = false;
    UPhysicalMemory::Reader previousMemory = nullptr;
};

TEST_F(StatusSheet, OpensWithOneCloseButtonAndListsEveryDiskInOrder) {
    EXPECT_EQ(CVMUStatusSheet::Current(), nullptr);
    {
        CVMUStatusSheet sheet(tray, factory, prompt);
        Open(sheet);
        EXPECT_EQ(CVMUStatusSheet::Current(), &sheet);
        EXPECT_EQ(sheet.GetWindowText(), L"VelmoraEXの状態");
        EXPECT_EQ(sheet.GetDlgItem(IDOK), nullptr);
        EXPECT_FALSE(IsWindowVisible(sheet.GetDlgItem(kApplyButton)));
        EXPECT_FALSE(IsWindowVisible(sheet.GetDlgItem(IDHELP)));
        EXPECT_EQ(sheet.GetDlgItemText(IDCANCEL), L"閉じる(&C)");
        EXPECT_EQ(sheet.WholePage().GetDlgItemText(IDC_STATUS_GROUP), L"VelmoraEXの状態");
        ExpectControlsInside(sheet, sheet.WholePage().GetSafeHwnd());

        CVelmoraDiskListCtrl& list = sheet.WholePage().List();
        EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_FULLROWSELECT);
        ASSERT_EQ(list.GetItemCount(), 4);
        const std::vector<std::vector<std::wstring>> rows = {
            {L"R:", L"512MB", L"WriteBack", L""},
            {L"無効", L"256MB", L"しない", L"----"},
            {L"設定なし", L"", L"自動", L"----"},
            {L"T:(イメージ)", L"1024MB", L"----", L"----"},
        };
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column) {
                EXPECT_EQ(list.GetItemText(row, column), rows[row][column]) << row << "," << column;
            }
        }
        EXPECT_EQ(list.NameOf(1), disabled);
        EXPECT_EQ(list.FindDisk(image), 3);
        EXPECT_EQ(list.FindDisk(L"C:\\nowhere.ini"), -1);
        CharUpperW(&image[0]);
        EXPECT_EQ(list.FindDisk(image), 3);  // names compare without regard to case

        // Columns: headings, alignment, and together they fill the list.
        HWND hwndList = list.GetSafeHwnd();
        const wchar_t* headings[] = {L"RAMディスク", L"ディスク容量", L"バックアップ", L"未保存容量"};
        const int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_LEFT, LVCFMT_RIGHT};
        int total = 0;
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(ColumnHeading(hwndList, column), headings[column]);
            EXPECT_EQ(ColumnFormat(hwndList, column), formats[column]);
            total += list.GetColumnWidth(column);
        }
        EXPECT_EQ(list.GetColumnWidth(1), list.GetColumnWidth(3));
        EXPECT_GT(list.GetColumnWidth(0), list.GetColumnWidth(2));  // "無効にしています..." is the wider text
        RECT rect = {};
        GetWindowRect(hwndList, &rect);
        const int available = (rect.right - rect.left) - 2 * GetSystemMetrics(SM_CXEDGE);
        EXPECT_LE(total, available);
        EXPECT_GE(total, available - 1);

        // Memory figures and browser locations.
        EXPECT_EQ(sheet.WholePage().GetDlgItemText(IDC_STATUS_TOTAL_MEMORY), L"8192MB");
        EXPECT_EQ(sheet.WholePage().GetDlgItemText(IDC_STATUS_FREE_MEMORY), L"3072MB");
        EXPECT_EQ(sheet.WholePage().GetDlgItemText(IDC_STATUS_FIREFOX_DRIVE), L"未設定");
        const std::wstring cache = DriveOf(CSIDL_INTERNET_CACHE), history = DriveOf(CSIDL_HISTORY);
        ASSERT_FALSE(cache.empty());
        EXPECT_EQ(sheet.WholePage().GetDlgItemText(IDC_STATUS_IE_DRIVE),
                  cache == history ? cache : cache + L" " + history);

        // Chrome: no cache folder here.
        EXPECT_EQ(sheet.WholePage().GetDlgItemText(IDC_STATUS_CHROME_DRIVE), L"未設定");

        // Adding and removing rows.
        CVelmoraEXData added;
        added.Status.SettingsPath = L"C:\\added.ini";
        added.Status.DiskOperation = OP_SETTINGS_WRITE_NEW;
        added.Setting.DriveLetter = 'Q';
        added.Setting.DriveSize = 64ULL << 20;
        EXPECT_TRUE(sheet.AddDiskRow(added));
        ASSERT_EQ(list.GetItemCount(), 5);
        EXPECT_EQ(list.GetItemText(4, 0), L"作成しています...");
        EXPECT_EQ(list.GetItemText(4, 1), L"64MB");
        sheet.RemoveDiskRow(disabled);
        EXPECT_EQ(list.GetItemCount(), 4);
        EXPECT_EQ(list.FindDisk(disabled), -1);
        EXPECT_EQ(list.FindDisk(L"C:\\added.ini"), 3);
        sheet.RemoveDiskRow(L"C:\\nowhere.ini");
        EXPECT_EQ(list.GetItemCount(), 4);

        sheet.DestroyWindow();
        EXPECT_EQ(CVMUStatusSheet::Current(), nullptr);
        // Without a window the forwards are ignored.
        EXPECT_TRUE(sheet.AddDiskRow(added));
        sheet.RemoveDiskRow(writeBack);
        sheet.Refresh(REFRESH_CURRENT, writeBack);
    }
    EXPECT_EQ(CVMUStatusSheet::Current(), nullptr);
}

TEST_F(StatusSheet, ChromeLocationIsTheDriveOfItsCacheFolder) {
    wchar_t local[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)));
    // Creates the folders that are missing, and removes them again afterwards.
    std::vector<std::wstring> created;
    std::wstring folder = local;
    for (const wchar_t* part : {L"Google", L"Chrome", L"User Data", L"Default", L"Cache"}) {
        folder += L"\\";
        folder += part;
        if (CreateDirectoryW(folder.c_str(), nullptr)) created.push_back(folder);
    }
    {
        CVMUStatusSheet sheet(tray, factory, prompt);
        Open(sheet);
        EXPECT_EQ(sheet.WholePage().GetDlgItemText(IDC_STATUS_CHROME_DRIVE), std::wstring(local, 2));
        sheet.DestroyWindow();
    }
    // A cache folder that is a junction shows the drive it points at.
    {
        FakeReparsePoints points;
        ASSERT_TRUE(UJunction::SetMountPoint(folder, L"\\??\\R:\\Chrome", L"R:\\Chrome"));
        CVMUStatusSheet sheet(tray, factory, prompt);
        Open(sheet);
        EXPECT_EQ(sheet.WholePage().GetDlgItemText(IDC_STATUS_CHROME_DRIVE), L"R:");
        sheet.DestroyWindow();
    }
    for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW(it->c_str());
}

TEST_F(StatusSheet, FirefoxLocationIsTheDriveOfTheDefaultProfilesCache) {
    ScratchFolder home;
    wchar_t savedAppData[MAX_PATH] = {};
    GetEnvironmentVariableW(L"APPDATA", savedAppData, MAX_PATH);
    SetEnvironmentVariableW(L"APPDATA", home.Path().c_str());
    const std::wstring firefox = home / L"Mozilla\\Firefox";
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, (firefox + L"\\Profiles\\b").c_str(), nullptr), ERROR_SUCCESS);
    auto write = [](const std::wstring& path, const std::string& text) {
        ASSERT_TRUE(ScratchFolder::Write(path, std::vector<char>(text.begin(), text.end())));
    };
    auto shown = [&] {
        CVMUStatusSheet sheet(tray, factory, prompt);
        Open(sheet);
        const std::wstring text = sheet.WholePage().GetDlgItemText(IDC_STATUS_FIREFOX_DRIVE);
        sheet.DestroyWindow();
        return text;
    };
    // The default profile is the second; the first one's cache setting does not count.
    write(firefox + L"\\Profiles.ini",
          "[Profile0]\r\nIsRelative=1\r\nPath=Profiles/a\r\n[Profile1]\r\nIsRelative=1\r\nPath=Profiles/b\r\n"
          "Default=1\r\n");
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, (firefox + L"\\Profiles\\a").c_str(), nullptr), ERROR_SUCCESS);
    write(firefox + L"\\Profiles\\a\\user.js",
          "user_pref(\"browser.cache.disk.parent_directory\",\"S:\\\\Cache\");\r\n");
    EXPECT_EQ(shown(), L"未設定");
    write(firefox + L"\\Profiles\\b\\prefs.js", "user_pref(\"browser.cache.disk.parent_directory\",\"D:\\\\FF\");\r\n");
    EXPECT_EQ(shown(), L"D:");
    write(firefox + L"\\Profiles\\b\\user.js",
          "user_pref(\"browser.cache.disk.parent_directory\",\"R:\\\\Cache\");\r\n");
    EXPECT_EQ(shown(), L"R:") << "user.js comes before prefs.js";
    SetEnvironmentVariableW(L"APPDATA", savedAppData);
}

TEST_F(StatusSheet, RowTextsFollowTheOperationInProgress) {
    CVelmoraEXData disk;
    disk.Setting.DriveLetter = 'S';
    disk.Setting.DriveSize = 1ULL << 30;
    const std::vector<std::pair<int32_t, std::wstring>> expected = {
        {1, L"無効"},
        {2, L"有効にしています..."},
        {6, L"有効にしています..."},
        {7, L"無効にしています..."},
        {13, L"無効にしています..."},
        {8, L"保存しています..."},
        {9, L"作成しています..."},
        {10, L"作成しています..."},
        {12, L"作成しています..."},
        {11, L"設定変更中..."},
        {14, L"設定変更中..."},
        {15, L"設定変更中..."},
        {16, L"削除しています..."},
        {19, L"削除しています..."},
        {20, L"設定変更中..."},
        {23, L"設定変更中..."},
        {24, L"無効"},
    };
    for (const auto& entry : expected) {
        disk.Status.DiskOperation = entry.first;
        EXPECT_EQ(CVelmoraDiskListCtrl::DiskText(disk, false), entry.second) << entry.first;
    }
    // Enabled texts; a missing letter prints as a space.
    disk.Status.DiskOperation = OP_IDLE;
    disk.Status.Mode = MODE_MEMORY;
    EXPECT_EQ(CVelmoraDiskListCtrl::DiskText(disk, true), L" :");
    disk.Status.Mode = MODE_IMAGE;
    disk.Status.CurrentLetter = L'S';
    EXPECT_EQ(CVelmoraDiskListCtrl::DiskText(disk, true), L"S:(イメージ)");
    disk.Setting.SaveType = SAVE_WRITE_THROUGH;
    EXPECT_EQ(CVelmoraDiskListCtrl::BackupText(disk, false), L"WriteThrough");
    EXPECT_EQ(CVelmoraDiskListCtrl::BackupText(disk, true), L"----");
    // A disabled disk with a letter but no size has no size text.
    disk.Setting.DriveSize = 0;
    EXPECT_EQ(CVelmoraDiskListCtrl::SizeText(disk, false), L"");
    EXPECT_EQ(CVelmoraDiskListCtrl::DiskText(disk, false), L"設定なし");
}

TEST_F(StatusSheet, ButtonsFollowSelectionStateAndBusyDisks) {
    CVMUStatusSheet sheet(tray, factory, prompt);
    Open(sheet);
    CVelmoraDiskListCtrl& list = sheet.WholePage().List();

    // Nothing selected: only "新規" and the two general buttons.
    EXPECT_TRUE(Enabled(IDC_STATUS_NEW));
    EXPECT_FALSE(Enabled(IDC_STATUS_DELETE));
    EXPECT_FALSE(Enabled(IDC_STATUS_ENABLE));
    EXPECT_FALSE(Enabled(IDC_STATUS_DISABLE));
    EXPECT_FALSE(Enabled(IDC_STATUS_PROPERTY));
    EXPECT_TRUE(Enabled(IDC_STATUS_IE_DELETE));
    EXPECT_TRUE(Enabled(IDC_STATUS_OPTION));

    list.SelectItem(list.FindDisk(disabled));
    EXPECT_TRUE(Enabled(IDC_STATUS_DELETE));
    EXPECT_TRUE(Enabled(IDC_STATUS_ENABLE));
    EXPECT_FALSE(Enabled(IDC_STATUS_DISABLE));
    EXPECT_TRUE(Enabled(IDC_STATUS_PROPERTY));
    list.SelectItem(list.FindDisk(writeBack));
    EXPECT_FALSE(Enabled(IDC_STATUS_ENABLE));
    EXPECT_TRUE(Enabled(IDC_STATUS_DISABLE));

    // Another disk busy: every disk button is off, and the busy row says what runs.
    manager.SetDiskOperation(image, OP_DISABLE_UNMOUNT);
    sheet.Refresh(REFRESH_CURRENT, image);
    EXPECT_EQ(list.GetItemText(list.FindDisk(image), 0), L"無効にしています...");
    for (int id : kDiskButtons) EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(IDC_STATUS_IE_DELETE));
    EXPECT_TRUE(Enabled(IDC_STATUS_OPTION));
    // The handlers check for themselves: a click while busy starts nothing.
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_STATUS_DISABLE, BN_CLICKED), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_STATUS_NEW, BN_CLICKED), 0);
    EXPECT_EQ(OperationOf(writeBack), OP_IDLE);
    EXPECT_TRUE(factory.requests.empty());

    manager.SetDiskOperation(image, OP_IDLE);
    sheet.Refresh(REFRESH_CURRENT, image);
    EXPECT_EQ(list.GetItemText(list.FindDisk(image), 0), L"T:(イメージ)");
    EXPECT_TRUE(Enabled(IDC_STATUS_DISABLE));

    // Refresh codes 0 and 1 draw the row as disabled / enabled whatever the mode says.
    sheet.Refresh(REFRESH_DISABLED, writeBack);
    EXPECT_EQ(list.GetItemText(0, 0), L"無効");
    EXPECT_EQ(list.GetItemText(0, 3), L"----");
    sheet.Refresh(REFRESH_ENABLED, writeBack);
    EXPECT_EQ(list.GetItemText(0, 0), L"R:");
}

TEST_F(StatusSheet, UnsavedAmountFollowsTheStatusUpdatesWhileTheListPageIsActive) {
    CVMUStatusSheet sheet(tray, factory, prompt);
    Open(sheet);
    CVMUStatusWholePage& whole = sheet.WholePage();
    CVelmoraDiskListCtrl& list = whole.List();
    ASSERT_GE(whole.ListenerId(), 0);
    ASSERT_EQ(tray.Listeners().count(whole.ListenerId()), 1u);
    EXPECT_EQ(tray.Listeners().at(whole.ListenerId()).window, page);
    EXPECT_EQ(tray.Listeners().at(whole.ListenerId()).message, static_cast<UINT>(WM_APP + 1));
    EXPECT_EQ(tray.Listeners().at(whole.ListenerId()).intervalMs, 1000u);
    EXPECT_TRUE(whole.IsTimerRunning());

    RamDiskStatus status = RamDiskStatus();
    status.unsavedFactor1 = 3 * 512 + 100;  // units of 2048 bytes: 3 MiB and a bit
    status.unsavedFactor2 = 2048;
    SendMessageW(page, WM_APP + 1, reinterpret_cast<WPARAM>(&status), reinterpret_cast<LPARAM>(writeBack.c_str()));
    EXPECT_EQ(list.GetItemText(0, 3), L"3MB");
    // A row drawn again keeps its figure.
    sheet.Refresh(REFRESH_CURRENT, writeBack);
    EXPECT_EQ(list.GetItemText(0, 3), L"3MB");
    // Rows without WriteBack in memory keep "----".
    SendMessageW(page, WM_APP + 1, reinterpret_cast<WPARAM>(&status), reinterpret_cast<LPARAM>(image.c_str()));
    SendMessageW(page, WM_APP + 1, reinterpret_cast<WPARAM>(&status), reinterpret_cast<LPARAM>(disabled.c_str()));
    EXPECT_EQ(list.GetItemText(3, 3), L"----");
    EXPECT_EQ(list.GetItemText(1, 3), L"----");

    // The version page: the updates stop.
    ASSERT_TRUE(sheet.SetActivePage(1));
    Pump(100);
    EXPECT_EQ(whole.ListenerId(), -1);
    EXPECT_FALSE(whole.IsTimerRunning());
    for (const auto& listener : tray.Listeners()) EXPECT_NE(listener.second.window, page);
    HWND about = sheet.AboutPage().GetSafeHwnd();
    ASSERT_NE(about, nullptr);
    ExpectControlsInside(sheet, about);
    EXPECT_EQ(sheet.AboutPage().GetDlgItemText(IDC_ABOUT_VERSION), L"VelmoraEX Version 1.1.0");
    bool hasBitmap = false;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0)) hasBitmap = true;
    }
    EXPECT_TRUE(hasBitmap);

    // Back on the list: registered again; without a mounted WriteBack disk the tick drops it.
    ASSERT_TRUE(sheet.SetActivePage(0));
    Pump(100);
    EXPECT_GE(whole.ListenerId(), 0);
    EXPECT_TRUE(whole.IsTimerRunning());
    manager.ClearStatus(writeBack);
    ASSERT_FALSE(manager.HasWriteBackDisk());
    Pump(1300);
    EXPECT_EQ(whole.ListenerId(), -1);

    sheet.DestroyWindow();
    for (const auto& listener : tray.Listeners()) EXPECT_NE(listener.second.window, page);
}

TEST_F(StatusSheet, DeleteAsksFirstAndOnYesStartsTheDeleteChain) {
    CVMUStatusSheet sheet(tray, factory, prompt);
    Open(sheet);
    CVelmoraDiskListCtrl& list = sheet.WholePage().List();
    list.SelectItem(list.FindDisk(unset));

    prompt.answers = {IDNO};
    Click(IDC_STATUS_DELETE);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].caption, L"VelmoraEX");
    EXPECT_EQ(prompt.boxes[0].text, L"選択中のRAMディスクを削除します。よろしいですか？");
    EXPECT_EQ(prompt.boxes[0].style, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(OperationOf(unset), OP_IDLE);

    prompt.answers = {IDYES};
    Click(IDC_STATUS_DELETE);
    EXPECT_EQ(prompt.boxes.size(), 2u);
    // Not mounted, no links, no caches: the settings delete reaches the worker at once.
    EXPECT_EQ(OperationOf(unset), OP_DELETE_SETTINGS);
    for (int id : kDiskButtons) EXPECT_FALSE(Enabled(id)) << id;
}

TEST_F(StatusSheet, EnableAndDisableStartTheirChainsOnlyForTheRightState) {
    CVMUStatusSheet sheet(tray, factory, prompt);
    Open(sheet);
    CVelmoraDiskListCtrl& list = sheet.WholePage().List();

    // "無効" on a disabled disk does nothing, even when sent directly.
    list.SelectItem(list.FindDisk(disabled));
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_STATUS_DISABLE, BN_CLICKED), 0);
    EXPECT_EQ(OperationOf(disabled), OP_IDLE);
    EXPECT_TRUE(prompt.boxes.empty());

    Click(IDC_STATUS_ENABLE);
    EXPECT_EQ(OperationOf(disabled), OP_ENABLE_MOUNT);  // no backup: plain mount
    EXPECT_FALSE(Enabled(IDC_STATUS_ENABLE));
}

TEST_F(StatusSheet, DisableOfADiskWithoutBackupAsksTheSequencersQuestion) {
    // S enabled in memory without a backup: the sequencer asks before it unmounts.
    RamDiskStatus reply = RamDiskStatus();
    reply.driveLetter = L'S';
    ASSERT_EQ(manager.SetStatusFromReply(disabled, reply), 1);

    CVMUStatusSheet sheet(tray, factory, prompt);
    Open(sheet);
    CVelmoraDiskListCtrl& list = sheet.WholePage().List();
    list.SelectItem(list.FindDisk(disabled));
    ASSERT_TRUE(Enabled(IDC_STATUS_DISABLE));
    prompt.answers = {IDCANCEL};
    Click(IDC_STATUS_DISABLE);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].style, static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION));
    EXPECT_EQ(OperationOf(disabled), OP_IDLE);
}

TEST_F(StatusSheet, BrowsingDataDeletionOpensItsChoiceAboveTheSheet) {
    CVMUStatusSheet sheet(tray, factory, prompt);
    Open(sheet);
    bool found = false, sheetDisabled = false;
    StartScript(
        {
            [&] {
                HWND choice = FindWindowW(L"#32770", L"インターネット閲覧の履歴の削除  ");
                found = choice != nullptr;
                sheetDisabled = !IsWindowEnabled(sheet.GetSafeHwnd());
                if (choice) PostMessageW(choice, WM_COMMAND, IDCANCEL, 0);
            },
        },
        [] {
            if (HWND choice = FindWindowW(L"#32770", L"インターネット閲覧の履歴の削除  "))
                PostMessageW(choice, WM_COMMAND, IDCANCEL, 0);
        });
    Click(IDC_STATUS_IE_DELETE);  // returns when the choice has closed
    RunScript(5000);
    EXPECT_TRUE(found);
    EXPECT_TRUE(sheetDisabled);
    EXPECT_TRUE(prompt.boxes.empty());  // cancelled: nothing deleted, nothing said
}

TEST_F(StatusSheet, PropertiesOpenTheSelectedDisksSheetWithItsCaption) {
    CVMUStatusSheet sheet(tray, factory, prompt);
    Open(sheet);
    CVelmoraDiskListCtrl& list = sheet.WholePage().List();
    list.SelectItem(list.FindDisk(image));

    HWND settings = nullptr;
    StartScript({
                    [&] {
                        settings = GetActiveWindow();
                        EXPECT_EQ(factory.open, 1);
                        EXPECT_NE(sheet.WholePage().OpenSheet(), nullptr);
                        EXPECT_FALSE(IsWindowEnabled(sheet.GetSafeHwnd()));  // modal above the status sheet
                        sheet.WholePage().CloseOpenSheet();
                    },
                    [] {},
                },
                [&] { factory.EndAll(); });
    Click(IDC_STATUS_PROPERTY);  // returns when the settings sheet has closed
    RunScript(5000);
    EXPECT_EQ(factory.open, 0);
    EXPECT_EQ(sheet.WholePage().OpenSheet(), nullptr);
    ASSERT_EQ(factory.requests.size(), 1u);
    EXPECT_EQ(factory.requests[0].path, image);
    EXPECT_EQ(factory.requests[0].caption, L"RAMディスク(T:(イメージ))のプロパティ");
    EXPECT_EQ(factory.requests[0].parent, &sheet);
    EXPECT_NE(settings, nullptr);
}

TEST_F(StatusSheet, ModalSheetClosedFromTheTrayEndsTheSettingsSheetFirst) {
    CVMUStatusSheet sheet(tray, factory, prompt);
    int currentWhileOpen = 0, secondRequests = -1;
    DWORD closeCalledAt = 0;
    StartScript({
                    [&] {
                        currentWhileOpen = CVMUStatusSheet::Current() == &sheet;
                        PostMessageW(GetDlgItem(sheet.WholePage().GetSafeHwnd(), IDC_STATUS_NEW), BM_CLICK, 0, 0);
                    },
                    [&] {
                        // A second "新規" while the settings sheet is open opens nothing.
                        ASSERT_EQ(factory.open, 1);
                        PostMessageW(sheet.WholePage().GetSafeHwnd(), WM_COMMAND,
                                     MAKEWPARAM(IDC_STATUS_NEW, BN_CLICKED), 0);
                    },
                    [&] {
                        secondRequests = static_cast<int>(factory.requests.size());
                        closeCalledAt = GetTickCount();
                        sheet.CloseFromTray();
                    },
                    // Time for the close to happen before the rescue would step in.
                    [] {},
                    [] {},
                    [] {},
                    [] {},
                    [] {},
                },
                [&] {
                    factory.EndAll();
                    if (CVMUStatusSheet::Current()) sheet.EndDialog(IDCANCEL);
                });
    const INT_PTR result = sheet.DoModal();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(currentWhileOpen, 1);
    EXPECT_EQ(secondRequests, 1);
    ASSERT_EQ(factory.requests.size(), 1u);
    EXPECT_TRUE(factory.requests[0].path.empty());
    EXPECT_EQ(factory.open, 0);
    // The settings sheet was cancelled at once (the rescue would have come a second later),
    // not torn down with its owner.
    EXPECT_EQ(factory.resets, 1);
    EXPECT_LT(factory.resetAt - closeCalledAt, 600u);
    EXPECT_EQ(CVMUStatusSheet::Current(), nullptr);
    RunScript(1000);
}

TEST_F(StatusSheet, ClosedFromTheTrayWithoutASettingsSheetAndBroughtToFront) {
    CVMUStatusSheet sheet(tray, factory, prompt);
    Open(sheet);
    ShowWindow(sheet.GetSafeHwnd(), SW_MINIMIZE);
    Pump(100);
    sheet.BringToFront();
    Pump(100);
    EXPECT_FALSE(IsIconic(sheet.GetSafeHwnd()));
    EXPECT_TRUE(IsWindowVisible(sheet.GetSafeHwnd()));

    sheet.CloseFromTray();
    Pump(300);
    EXPECT_EQ(sheet.GetSafeHwnd(), nullptr);
    EXPECT_EQ(CVMUStatusSheet::Current(), nullptr);
    EXPECT_TRUE(factory.requests.empty());
}

HWND FindOptionDialog() { return FindWindowW(L"#32770", L"オプション"); }

void CancelOptionDialog() {
    if (HWND dlg = FindOptionDialog()) PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(StatusSheet, OptionDialogEnablesThePopUpOptionOnlyWithTheIcon) {
    struct Seen {
        bool indicatorEnabledAtStart = false, afterUncheck = true, afterRecheck = false;
    } seen;
    COptionDlg dialog;
    dialog.TaskTray = 1;
    dialog.Indicator = 0;
    StartScript(
        {
            [&] {
                HWND dlg = FindOptionDialog();
                ASSERT_NE(dlg, nullptr);
                EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_OPTION_TASKTRAY, BM_GETCHECK, 0, 0), BST_CHECKED);
                EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_OPTION_INDICATOR, BM_GETCHECK, 0, 0), BST_UNCHECKED);
                seen.indicatorEnabledAtStart = IsWindowEnabled(GetDlgItem(dlg, IDC_OPTION_INDICATOR));
                SendDlgItemMessageW(dlg, IDC_OPTION_TASKTRAY, BM_CLICK, 0, 0);
                seen.afterUncheck = IsWindowEnabled(GetDlgItem(dlg, IDC_OPTION_INDICATOR));
                SendDlgItemMessageW(dlg, IDC_OPTION_TASKTRAY, BM_CLICK, 0, 0);
                seen.afterRecheck = IsWindowEnabled(GetDlgItem(dlg, IDC_OPTION_INDICATOR));
                SendDlgItemMessageW(dlg, IDC_OPTION_INDICATOR, BM_CLICK, 0, 0);
                SendDlgItemMessageW(dlg, IDC_OPTION_TASKTRAY, BM_CLICK, 0, 0);
                PostMessageW(dlg, WM_COMMAND, IDOK, 0);
            },
        },
        CancelOptionDialog);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    RunScript(1000);
    EXPECT_TRUE(seen.indicatorEnabledAtStart);
    EXPECT_FALSE(seen.afterUncheck);
    EXPECT_TRUE(seen.afterRecheck);
    EXPECT_EQ(dialog.Options().TaskTray, 0);
    EXPECT_EQ(dialog.Options().Indicator, 1);

    // Off at the start: the pop-up option starts disabled; Cancel keeps the values.
    COptionDlg second;
    second.TaskTray = 0;
    second.Indicator = 1;
    bool enabled = true;
    StartScript(
        {
            [&] {
                HWND dlg = FindOptionDialog();
                ASSERT_NE(dlg, nullptr);
                enabled = IsWindowEnabled(GetDlgItem(dlg, IDC_OPTION_INDICATOR));
                SendDlgItemMessageW(dlg, IDC_OPTION_TASKTRAY, BM_CLICK, 0, 0);
                PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
            },
        },
        CancelOptionDialog);
    EXPECT_EQ(second.DoModal(), IDCANCEL);
    RunScript(1000);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(second.Options().TaskTray, 0);
    EXPECT_EQ(second.Options().Indicator, 1);
}

TEST_F(StatusSheet, OptionsChangedFromThePageAreSavedAndShowTheIcon) {
    CVelmoraEXOptionData off;
    ASSERT_EQ(manager.SaveOptions(off), 1);
    ASSERT_FALSE(tray.HasTrayIcon());
    CVMUStatusSheet sheet(tray, factory, prompt);
    Open(sheet);

    // Cancel: nothing changes.
    StartScript({[] {
                    HWND dlg = FindOptionDialog();
                    ASSERT_NE(dlg, nullptr);
                    SendDlgItemMessageW(dlg, IDC_OPTION_TASKTRAY, BM_CLICK, 0, 0);
                    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
                }},
                CancelOptionDialog);
    Click(IDC_STATUS_OPTION);
    RunScript(1000);
    EXPECT_EQ(manager.GetOptions().TaskTray, 0);
    EXPECT_FALSE(tray.HasTrayIcon());

    // OK with the icon switched on: stored, and the icon appears.
    StartScript({[] {
                    HWND dlg = FindOptionDialog();
                    ASSERT_NE(dlg, nullptr);
                    SendDlgItemMessageW(dlg, IDC_OPTION_TASKTRAY, BM_CLICK, 0, 0);
                    SendDlgItemMessageW(dlg, IDC_OPTION_INDICATOR, BM_CLICK, 0, 0);
                    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
                }},
                CancelOptionDialog);
    Click(IDC_STATUS_OPTION);
    RunScript(1000);
    EXPECT_EQ(manager.GetOptions().TaskTray, 1);
    EXPECT_EQ(manager.GetOptions().Indicator, 1);
    EXPECT_TRUE(tray.HasTrayIcon());
    CVelmoraEXManager reread;
    reread.LoadOptions();
    EXPECT_EQ(reread.GetOptions().TaskTray, 1);
    EXPECT_EQ(reread.GetOptions().Indicator, 1);
}

}  // namespace
