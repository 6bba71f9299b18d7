// The tray window under Wine and Xvfb: icon and worker lifetime, balloon rules, listeners and
// status dispatch, the end-of-session answers, the icon's add retry and the position-reporting slider.
// Message boxes and balloons are recorded.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "utility/core/SettingsPaths.h"
#include "utility/core/VMUThread.h"
#include "utility/core/VMUThreadTaskGetStatusEX.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/DataFolder.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/core/MessageText.h"
#include "utility/ui/SliderCtrlEx.h"
#include "utility/ui/TransparentBitmapStatic.h"
#include "utility/ui/VMUTaskTrayWnd.h"
#include "utility/ui/resource.h"
#include "utility/disk/FakeDriver.h"
#include "RecordingPrompt.h"
#include "UiDriver.h"

namespace {

using uidriver::Pump;
using uidriver::RecordingPrompt;

// The window with the save dialog replaced by a recorded answer.
class TestTrayWnd : public CVMUTaskTrayWnd {
public:
    using CVMUTaskTrayWnd::CVMUTaskTrayWnd;
    void PollTick() { OnTimer(kPollTimerId); }
    void OpenStatusSheet() override { ++sheetsOpened; }
    int sheetsOpened = 0;
    INT_PTR RunSaveDialog() override {
        ++saveDialogs;
        return saveAnswer;
    }
    int saveDialogs = 0;
    INT_PTR saveAnswer = IDOK;
};

// Whether the shell holds the icon of window/id (a modify fails for an unknown icon).
bool ShellHasIcon(HWND window) {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = 0;
    data.uFlags = NIF_TIP;
    lstrcpyW(data.szTip, L"probe");
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// Removes the icon of window/id from the shell, as an Explorer restart does.
bool RemoveShellIcon(HWND window) {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = 0;
    return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

// Records the status messages a listener window receives.
struct Received {
    std::wstring name;
    uint32_t error;
};
std::vector<Received> g_received;
const UINT kListenerMessage = WM_APP + 1;

LRESULT CALLBACK ListenerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kListenerMessage) {
        const RamDiskStatus* status = reinterpret_cast<const RamDiskStatus*>(wParam);
        g_received.push_back({reinterpret_cast<const wchar_t*>(lParam), status->error});
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeListenerWindow() {
    static ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ListenerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TrayTestListener";
        return RegisterClassW(&wc);
    }();
    if (!atom) return nullptr;
    return CreateWindowExW(0, L"TrayTestListener", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

// Option.ini is the test prefix's real one; kept and put back around each test.
class TrayWindow : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureDataFolder();
        optionFile = USettingsPaths::GetOptionFile();
        backup = optionFile + L".traytest";
        hadOptions = CopyFileW(optionFile.c_str(), backup.c_str(), FALSE) != FALSE;
    }
    void TearDown() override {
        if (hadOptions) {
            MoveFileExW(backup.c_str(), optionFile.c_str(), MOVEFILE_REPLACE_EXISTING);
        } else {
            DeleteFileW(optionFile.c_str());
        }
    }
    void SetOptions(int taskTray, int indicator) {
        CVelmoraEXOptionData options;
        options.TaskTray = taskTray;
        options.Indicator = indicator;
        ASSERT_EQ(manager.SaveOptions(options), 1);
    }

    CVelmoraEXManager manager;
    RecordingPrompt prompt;
    std::wstring optionFile, backup;
    bool hadOptions = false;
};

TEST_F(TrayWindow, CreationStartsWorkerAndIconAndDestructionEndsThem) {
    SetOptions(1, 1);
    TestTrayWnd wnd(manager);
    ASSERT_TRUE(wnd.Create());
    EXPECT_EQ(wnd.GetWindowText(), L"VelmoraEX");
    EXPECT_FALSE(IsWindowVisible(wnd.GetSafeHwnd()));
    EXPECT_NE(wnd.SendMessage(WM_GETICON, ICON_BIG), 0);
    ASSERT_NE(wnd.Worker(), nullptr);
    EXPECT_EQ(wnd.Worker()->m_hReceiver, wnd.GetSafeHwnd());
    EXPECT_TRUE(wnd.HasTrayIcon());
    EXPECT_TRUE(ShellHasIcon(wnd.GetSafeHwnd()));
    EXPECT_TRUE(wnd.BalloonsAllowed());

    // Explorer restarting: its icons are gone, then the icon is added again.
    ASSERT_TRUE(RemoveShellIcon(wnd.GetSafeHwnd()));
    ASSERT_FALSE(ShellHasIcon(wnd.GetSafeHwnd()));
    wnd.SendMessage(CVMUTaskTrayWnd::TaskbarCreatedMessage());
    EXPECT_TRUE(wnd.HasTrayIcon());
    EXPECT_TRUE(ShellHasIcon(wnd.GetSafeHwnd()));

    HWND hwnd = wnd.GetSafeHwnd();
    wnd.DestroyWindow();
    EXPECT_EQ(wnd.Worker(), nullptr);
    EXPECT_FALSE(wnd.HasTrayIcon());
    EXPECT_FALSE(ShellHasIcon(hwnd));
}

TEST_F(TrayWindow, WithoutTaskTrayNoIconAndNoBalloonWhateverIndicatorSays) {
    SetOptions(0, 1);
    TestTrayWnd wnd(manager);
    wnd.SetPrompt(&prompt);
    ASSERT_TRUE(wnd.Create());
    EXPECT_FALSE(wnd.HasTrayIcon());
    EXPECT_FALSE(ShellHasIcon(wnd.GetSafeHwnd()));
    wnd.SendMessage(CVMUTaskTrayWnd::TaskbarCreatedMessage());
    EXPECT_FALSE(ShellHasIcon(wnd.GetSafeHwnd()));
    EXPECT_FALSE(wnd.BalloonsAllowed());
    wnd.Sequencer().ReportBusy();
    EXPECT_TRUE(prompt.balloons.empty());
}

TEST_F(TrayWindow, BusyRefusalIsABalloonOnlyWithBothOptions) {
    SetOptions(1, 0);
    {
        TestTrayWnd wnd(manager);
        wnd.SetPrompt(&prompt);
        ASSERT_TRUE(wnd.Create());
        EXPECT_FALSE(wnd.BalloonsAllowed());
        wnd.Sequencer().ReportBusy();
        EXPECT_TRUE(prompt.balloons.empty());
    }
    SetOptions(1, 1);
    TestTrayWnd wnd(manager);
    wnd.SetPrompt(&prompt);
    ASSERT_TRUE(wnd.Create());
    wnd.Sequencer().ReportBusy();
    ASSERT_EQ(prompt.balloons.size(), 1u);
    EXPECT_EQ(prompt.balloons[0].text, UMessageText::Load(IDS_6000));
    EXPECT_EQ(prompt.balloons[0].caption, L"VelmoraEX");
    EXPECT_EQ(prompt.balloons[0].kind, NIIF_ERROR);
    EXPECT_EQ(prompt.balloons[0].style, 1u);  // time-out: the shell's minimum applies
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(TrayWindow, ListenerIdsAreReusedAndOnlyLiveWindowsDriveThePoll) {
    SetOptions(0, 0);
    TestTrayWnd wnd(manager);
    ASSERT_TRUE(wnd.Create());
    HWND dead = MakeListenerWindow();
    ASSERT_NE(dead, nullptr);
    DestroyWindow(dead);
    EXPECT_EQ(wnd.AddStatusListener(dead, kListenerMessage, 1000), 0);
    EXPECT_FALSE(wnd.IsPolling());
    wnd.RemoveStatusListener(0);

    HWND live = MakeListenerWindow();
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(wnd.AddStatusListener(live, kListenerMessage, 1000), 0);
    EXPECT_TRUE(wnd.IsPolling());
    EXPECT_EQ(wnd.AddStatusListener(dead, kListenerMessage, 500), 1);
    EXPECT_EQ(wnd.AddStatusListener(live, kListenerMessage, 1000), 2);
    wnd.RemoveStatusListener(0);
    EXPECT_EQ(wnd.AddStatusListener(live, kListenerMessage, 1000), 0);
    wnd.RemoveStatusListener(7);  // unknown: nothing happens
    EXPECT_EQ(wnd.Listeners().size(), 3u);

    // A tick with no disks posts an empty query and re-arms.
    Pump(1300);
    EXPECT_TRUE(wnd.IsPolling());
    DestroyWindow(live);
}

TEST_F(TrayWindow, FinishedStatusQueryReachesLiveListenersForDisksWithoutError) {
    SetOptions(0, 0);
    TestTrayWnd wnd(manager);
    ASSERT_TRUE(wnd.Create());
    HWND live = MakeListenerWindow();
    HWND dead = MakeListenerWindow();
    ASSERT_TRUE(live && dead);
    DestroyWindow(dead);
    wnd.AddStatusListener(dead, kListenerMessage, 1000);
    wnd.AddStatusListener(live, kListenerMessage, 1000);

    g_received.clear();
    auto* task = new CVMUThreadTaskGetStatusEX();
    task->Result = 0;
    task->Replies[L"C:\\a.ini"] = RamDiskStatus();
    RamDiskStatus failed = RamDiskStatus();
    failed.error = 5;
    task->Replies[L"C:\\b.ini"] = failed;
    task->Replies[L"C:\\c.ini"] = RamDiskStatus();
    EXPECT_EQ(wnd.SendMessage(WM_TRAY_TASK_DONE, reinterpret_cast<WPARAM>(task)), 0);
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_EQ(g_received[0].name, L"C:\\a.ini");
    EXPECT_EQ(g_received[1].name, L"C:\\c.ini");

    // A failed query reaches nobody; a null task is refused.
    g_received.clear();
    task = new CVMUThreadTaskGetStatusEX();
    task->Result = -1;
    task->Replies[L"C:\\a.ini"] = RamDiskStatus();
    wnd.SendMessage(WM_TRAY_TASK_DONE, reinterpret_cast<WPARAM>(task));
    EXPECT_TRUE(g_received.empty());
    EXPECT_EQ(wnd.SendMessage(WM_TRAY_TASK_DONE, 0), -1);
    DestroyWindow(live);
}

// A listener added while a poll is on its way gets only the figures of later polls: the save
// dialog must not take figures from before its sync for the end of the save.
TEST_F(TrayWindow, ListenerAddedDuringAPollGetsOnlyLaterFigures) {
    SetOptions(0, 0);
    drivertest::FakeDriver driver(
        [&](const drivertest::SeenRequest&) { return drivertest::StatusReply(0, 0, L'R', 0, 0, 0); });
    TestTrayWnd wnd(manager);
    ASSERT_TRUE(wnd.Create());
    CVelmoraEXData disk;
    disk.Status.SettingsPath = L"C:\\traytest-poll.ini";
    disk.Status.Mode = MODE_MEMORY;
    disk.Status.DiskOperation = OP_IDLE;
    manager.AddDisk(disk);
    HWND early = MakeListenerWindow();
    HWND late = MakeListenerWindow();
    ASSERT_TRUE(early && late);

    g_received.clear();
    wnd.AddStatusListener(early, kListenerMessage, 1000);
    wnd.PollTick();  // the query is now with the worker
    const int32_t lateId = wnd.AddStatusListener(late, kListenerMessage, 1000);
    ASSERT_TRUE(uidriver::WaitFor([&] { return !g_received.empty(); }, 10000));
    Pump(200);
    EXPECT_EQ(g_received.size(), 1u) << "only the listener that was there when the query went out";

    // The next poll reaches both.
    g_received.clear();
    wnd.PollTick();
    ASSERT_TRUE(uidriver::WaitFor([&] { return g_received.size() >= 2; }, 10000));
    EXPECT_EQ(g_received.size(), 2u);
    wnd.RemoveStatusListener(lateId);
    DestroyWindow(early);
    DestroyWindow(late);
}

TEST_F(TrayWindow, EndOfSessionAsksTheSaveDialogOnlyForAShutdownWithDisksToSave) {
    SetOptions(0, 0);
    TestTrayWnd wnd(manager);
    ASSERT_TRUE(wnd.Create());
    // Nothing to save: yes, without a dialog.
    EXPECT_EQ(wnd.SendMessage(WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(wnd.saveDialogs, 0);

    CVelmoraEXData disk;
    disk.Status.SettingsPath = JoinPath(GetDataFolder(), L"traytest-none.ini");
    disk.Status.Mode = MODE_MEMORY;
    disk.Setting.SaveType = SAVE_AT_LOGOFF;
    manager.AddDisk(disk);
    ASSERT_TRUE(manager.HasDisksToSave());

    // A log-off never shows the dialog.
    EXPECT_EQ(wnd.SendMessage(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_EQ(wnd.saveDialogs, 0);
    // A shutdown: the dialog's answer decides.
    wnd.saveAnswer = IDOK;
    EXPECT_EQ(wnd.SendMessage(WM_QUERYENDSESSION, 0, 0), TRUE);
    wnd.saveAnswer = IDCANCEL;
    EXPECT_EQ(wnd.SendMessage(WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_EQ(wnd.saveDialogs, 2);
}

TEST_F(TrayWindow, StatusCommandWaitsForTheEndOfStartup) {
    SetOptions(0, 0);
    TestTrayWnd wnd(manager);
    ASSERT_TRUE(wnd.Create());
    wnd.SendMessage(WM_COMMAND, ID_TRAY_STATUS);
    wnd.SendMessage(WM_TRAY_CALLBACK, 0, WM_LBUTTONUP);
    EXPECT_EQ(wnd.sheetsOpened, 0);
    wnd.SetStartupComplete(true);
    wnd.SendMessage(WM_COMMAND, ID_TRAY_STATUS);
    wnd.SendMessage(WM_TRAY_CALLBACK, 0, WM_LBUTTONUP);
    wnd.SendMessage(WM_COMMAND, ID_TRAY_ENABLE);
    EXPECT_EQ(wnd.sheetsOpened, 2);
}

// The real sheet: a second request while it is open brings it forward instead of opening
// another; closing the tray window closes the sheet.
TEST_F(TrayWindow, StatusSheetOpensOnceAndClosesWithTheWindow) {
    SetOptions(0, 0);
    CVMUTaskTrayWnd wnd(manager);
    wnd.SetPrompt(&prompt);
    ASSERT_TRUE(wnd.Create());
    wnd.SetStartupComplete(true);
    const std::wstring title = UMessageText::Load(IDS_10003);
    int mostSheets = 0;
    bool askedAgain = false, closed = false;
    uidriver::Ticker watch([&] {
        const int sheets = uidriver::CountOwnWindows(title);
        mostSheets = std::max(mostSheets, sheets);
        if (sheets == 1 && !askedAgain) {
            askedAgain = true;
            wnd.PostMessage(WM_COMMAND, ID_TRAY_STATUS);
        } else if (askedAgain && !closed && wnd.StatusRequests() == 2) {
            closed = true;
            wnd.PostMessage(WM_CLOSE);
        }
    });
    wnd.PostMessage(WM_COMMAND, ID_TRAY_STATUS);
    ASSERT_TRUE(uidriver::WaitFor([&] { return !wnd.IsWindow(); }, 20000));
    EXPECT_EQ(mostSheets, 1);
    EXPECT_EQ(wnd.StatusRequests(), 2);
    EXPECT_EQ(uidriver::FindOwnWindow(title), nullptr);
}

// The real prompt shows a real box and returns the button the user pressed.
TEST(TrayPrompt, ShowsARealBoxAndReturnsTheButtonPressed) {
    const std::wstring caption = L"VelmoraEX prompt test";
    bool answered = false;
    uidriver::Ticker press([&] {
        HWND box = uidriver::FindOwnWindow(caption);
        if (!box || answered) return;
        answered = true;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    CTrayPrompt prompt;
    EXPECT_EQ(prompt.MessageBox(nullptr, caption, L"text", MB_OKCANCEL | MB_ICONEXCLAMATION), IDCANCEL);
    EXPECT_TRUE(answered);
}

// The icon itself, with the shell's answers scripted.
class ScriptedTray : public CTaskTray {
public:
    std::vector<DWORD> answers;  // 0: success, else the error of a failure
    std::vector<DWORD> calls;

protected:
    BOOL Notify(DWORD message, NOTIFYICONDATAW*) override {
        calls.push_back(message);
        if (message != NIM_ADD) return TRUE;
        DWORD answer = answers.empty() ? 0 : answers.front();
        if (!answers.empty()) answers.erase(answers.begin());
        SetLastError(answer);
        return answer == 0;
    }
};

TEST(TaskTray, AddRetriesEverySecondWhileTheShellTimesOut) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ScriptedTray tray;
    tray.answers = {ERROR_TIMEOUT, ERROR_TIMEOUT, 0};
    EXPECT_FALSE(tray.Add(owner, 0, WM_APP + 1, IDI_VELMORAEX, L"VelmoraEX"));
    EXPECT_TRUE(tray.IsAddRetrying());
    EXPECT_FALSE(tray.IsAdded());
    Pump(2600);
    EXPECT_FALSE(tray.IsAddRetrying());
    EXPECT_TRUE(tray.IsAdded());
    EXPECT_EQ(std::count(tray.calls.begin(), tray.calls.end(), static_cast<DWORD>(NIM_ADD)), 3);

    // Another error ends the retry without an icon.
    ScriptedTray other;
    other.answers = {ERROR_TIMEOUT, ERROR_ACCESS_DENIED};
    other.Add(owner, 1, WM_APP + 1, IDI_VELMORAEX, L"VelmoraEX");
    Pump(1500);
    EXPECT_FALSE(other.IsAddRetrying());
    EXPECT_FALSE(other.IsAdded());
    // A plain failure is not retried.
    ScriptedTray plain;
    plain.answers = {ERROR_ACCESS_DENIED};
    EXPECT_FALSE(plain.Add(owner, 2, WM_APP + 1, IDI_VELMORAEX, L"VelmoraEX"));
    EXPECT_FALSE(plain.IsAddRetrying());
    DestroyWindow(owner);
}

TEST(TaskTray, DataSizeFollowsTheShellVersion) {
    EXPECT_EQ(CTaskTray::DataSizeFor(0, true), NOTIFYICONDATAW_V1_SIZE);
    EXPECT_EQ(CTaskTray::DataSizeFor(CTaskTray::MakeVersion(4, 71), true), NOTIFYICONDATAW_V1_SIZE);
    EXPECT_EQ(CTaskTray::DataSizeFor(CTaskTray::MakeVersion(5, 0), true), NOTIFYICONDATAW_V2_SIZE);
    EXPECT_EQ(CTaskTray::DataSizeFor(CTaskTray::MakeVersion(5, 99), false), NOTIFYICONDATAW_V2_SIZE);
    EXPECT_EQ(CTaskTray::DataSizeFor(CTaskTray::MakeVersion(6, 0), false), NOTIFYICONDATAW_V3_SIZE);
    EXPECT_EQ(CTaskTray::DataSizeFor(CTaskTray::MakeVersion(6, 1), true), sizeof(NOTIFYICONDATAW));
    CTaskTray tray;
    EXPECT_EQ(tray.DataSize(), CTaskTray::DataSizeFor(tray.ShellVersion(), true));
}

}  // namespace

namespace {

// A parent that hands the slider its notifications back and records the positions reported.
class SliderParent : public CWnd {
public:
    CSliderCtrlEx slider;
    std::vector<WPARAM> positions;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (slider.ReflectNotify(lParam, result)) return TRUE;
        return CWnd::OnNotify(wParam, lParam, result);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SLIDER_POSITION) {
            positions.push_back(wParam);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(SliderCtrlEx, ReportsEachNewPositionOnceAsItIsDrawn) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    ASSERT_TRUE(CWnd::RegisterWindowClass(L"SliderTestParent"));
    SliderParent parent;
    ASSERT_TRUE(
        parent.CreateEx(0, L"SliderTestParent", L"slider", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 120, nullptr));
    HWND track = CreateWindowExW(0, TRACKBAR_CLASSW, L"", WS_CHILD | WS_VISIBLE | TBS_HORZ, 10, 10, 250, 40,
                                 parent.GetSafeHwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(track, nullptr);
    parent.slider.Attach(track);
    SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));

    SendMessageW(track, TBM_SETPOS, TRUE, 40);
    UpdateWindow(track);
    Pump(100);
    ASSERT_FALSE(parent.positions.empty()) << "no custom draw arrived";
    EXPECT_EQ(parent.positions.back(), 40u);
    const size_t reported = parent.positions.size();

    // Drawing again without a move reports nothing new.
    InvalidateRect(track, nullptr, TRUE);
    UpdateWindow(track);
    Pump(100);
    EXPECT_EQ(parent.positions.size(), reported);

    SendMessageW(track, TBM_SETPOS, TRUE, 75);
    UpdateWindow(track);
    Pump(100);
    ASSERT_EQ(parent.positions.size(), reported + 1);
    EXPECT_EQ(parent.positions.back(), 75u);
    parent.slider.Detach();
    parent.DestroyWindow();
}

}  // namespace

namespace {

// A 32-bit bitmap of width x 1 pixels with the given colours (COLORREF order).
HBITMAP MakeBitmap(HDC dc, const std::vector<COLORREF>& pixels) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(pixels.size());
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    DWORD* out = static_cast<DWORD*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i)
        out[i] = (GetRValue(pixels[i]) << 16) | (GetGValue(pixels[i]) << 8) | GetBValue(pixels[i]);
    GdiFlush();
    return bitmap;
}

TEST(TransparentBitmapStatic, KeyColourPixelsShowTheBackgroundOnBothPaths) {
    const COLORREF white = RGB(255, 255, 255), red = RGB(200, 0, 0), blue = RGB(0, 0, 180), green = RGB(0, 160, 0);
    for (bool useMaskBlt : {true, false}) {
        SCOPED_TRACE(useMaskBlt ? "MaskBlt" : "BitBlt");
        HDC screen = GetDC(nullptr);
        HDC target = CreateCompatibleDC(screen);
        HBITMAP canvas = MakeBitmap(screen, std::vector<COLORREF>(4, green));
        HBITMAP picture = MakeBitmap(screen, {white, red, white, blue});
        ASSERT_TRUE(target && canvas && picture);
        HGDIOBJ old = SelectObject(target, canvas);
        EXPECT_TRUE(CTransparentBitmapStatic::DrawTransparent(target, picture, white, useMaskBlt));
        EXPECT_EQ(GetPixel(target, 0, 0), green);
        EXPECT_EQ(GetPixel(target, 1, 0), red);
        EXPECT_EQ(GetPixel(target, 2, 0), green);
        EXPECT_EQ(GetPixel(target, 3, 0), blue);
        SelectObject(target, old);
        DeleteObject(picture);
        DeleteObject(canvas);
        DeleteDC(target);
        ReleaseDC(nullptr, screen);
    }
}

}  // namespace
