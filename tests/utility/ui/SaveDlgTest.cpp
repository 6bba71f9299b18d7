// The save progress dialog under Wine with a real tray window polling a scripted driver double:
// when it shows, how the bar follows the unsaved amount, which disks it waits for, the
// sync commands around the save, the cancelled session end and a driver that stops answering.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/DataFolder.h"
#include "utility/disk/FakeDriver.h"
#include "utility/ui/SaveDlg.h"
#include "utility/ui/TrayPrompt.h"
#include "RecordingPrompt.h"
#include "utility/ui/VMUTaskTrayWnd.h"
#include "utility/ui/resource.h"

namespace {

using drivertest::FakeDriver;
using drivertest::SeenRequest;

using uidriver::RecordingPrompt;

// What the dialog showed after one status update.
struct Snapshot {
    std::wstring path;
    bool visible;
    int rangeHigh;
    int position;
    std::wstring text;
};

// The dialog with the version check scripted, its state recorded after each status update and
// on each timer tick, and a safety net that ends a run that does not end by itself with -2.
class TestSaveDlg : public CSaveDlg {
public:
    using CSaveDlg::CSaveDlg;
    bool windows8 = true;
    std::vector<Snapshot> snapshots;
    bool everVisible = false;
    bool textsFit = false;
    std::wstring title;
    LONG_PTR style = 0;
    bool pictureHasBitmap = false;
    // Called after each recorded update and on each tick while visible.
    std::function<void(TestSaveDlg&)> onUpdate, onVisibleTick;

protected:
    bool IsWindows8OrLater() const override { return windows8; }
    BOOL OnInitDialog() override {
        const BOOL result = CSaveDlg::OnInitDialog();
        ::SetTimer(m_hWnd, kSafetyTimer, 30000, nullptr);
        textsFit = TextsFit();
        title = GetWindowText();
        style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
        pictureHasBitmap = ::SendDlgItemMessageW(m_hWnd, IDC_SAVE_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
        return result;
    }
    void OnTimer(UINT_PTR id) override {
        if (id == kSafetyTimer) {
            EndDialog(-2);
            return;
        }
        CSaveDlg::OnTimer(id);
        if (IsWindowVisible()) {
            everVisible = true;
            if (onVisibleTick) onVisibleTick(*this);
        }
    }
    void OnDestroy() override {
        ::KillTimer(m_hWnd, kSafetyTimer);
        CSaveDlg::OnDestroy();
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = CSaveDlg::WindowProc(message, wParam, lParam);
        if (message == kStatusMessage) {
            HWND bar = GetDlgItem(IDC_SAVE_PROGRESS);
            Snapshot shot{reinterpret_cast<const wchar_t*>(lParam), IsWindowVisible() != FALSE,
                          static_cast<int>(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0)),
                          static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0)), GetDlgItemText(IDC_SAVE_TEXT)};
            everVisible = everVisible || shot.visible;
            snapshots.push_back(shot);
            if (onUpdate) onUpdate(*this);
        }
        return result;
    }

private:
    static const UINT_PTR kSafetyTimer = 99;

    // Whether the fixed text and the widest progress text fit their controls in the dialog's font.
    bool TextsFit() const {
        bool fixedFound = false, fits = true;
        HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t buffer[256] = {};
            ::GetWindowTextW(child, buffer, 256);
            std::wstring text = buffer;
            const bool fixed = text.rfind(L"RAMディスク", 0) == 0;
            if (GetDlgCtrlID(child) == IDC_SAVE_TEXT)
                text = L"99999/99999MB";
            else if (!fixed)
                continue;
            fixedFound = fixedFound || fixed;
            RECT client = {};
            ::GetClientRect(child, &client);
            RECT need = client;
            HDC dc = ::GetDC(child);
            HGDIOBJ old = SelectObject(dc, font);
            DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK);
            SelectObject(dc, old);
            ::ReleaseDC(child, dc);
            if (need.right > client.right || need.bottom > client.bottom) fits = false;
        }
        return fixedFound && fits;
    }
};

// The driver double's script: for each disk, whether sync-begin succeeds and the unsaved MB of
// its successive queries (the last one repeats; an empty list fails the query).
class DriverScript {
public:
    struct Disk {
        bool syncBegins = true;
        std::vector<double> unsavedMb;
        size_t next = 0;
    };

    void Set(const std::wstring& path, bool syncBegins, std::vector<double> unsavedMb) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_disks[path] = Disk{syncBegins, std::move(unsavedMb), 0};
    }

    UDriverPipeFrame::Reply Answer(const SeenRequest& seen) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_disks.find(seen.DiskId());
        const uint32_t code = seen.request.controlCode;
        if (found == m_disks.end()) {
            return code == IOCTL_RAMDISK_QUERY ? drivertest::StatusReply(0, 2, 0) : drivertest::ShortReply(0, 2);
        }
        Disk& disk = found->second;
        if (code == IOCTL_RAMDISK_SYNC_BEGIN) return drivertest::ShortReply(0, disk.syncBegins ? 0 : 0x1F);
        if (code != IOCTL_RAMDISK_QUERY) return drivertest::ShortReply(0, 0);
        if (disk.unsavedMb.empty()) return drivertest::StatusReply(0, 5, 0);
        const double mb = disk.unsavedMb[std::min(disk.next, disk.unsavedMb.size() - 1)];
        ++disk.next;
        // Unsaved = sectors x sector size.
        RamDiskStatus status = {};
        status.driveLetter = L'R';
        status.unsavedFactor1 = static_cast<uint64_t>(mb * 2048);
        status.unsavedFactor2 = 512;
        UDriverPipeFrame::Reply reply;
        reply.succeeded = true;
        reply.output.resize(sizeof(status));
        std::memcpy(reply.output.data(), &status, sizeof(status));
        return reply;
    }

private:
    std::mutex m_mutex;
    std::map<std::wstring, Disk> m_disks;
};

// Disk ids of the requests with the given code, in order.
std::vector<std::wstring> IdsOf(FakeDriver& driver, uint32_t code) {
    std::vector<std::wstring> ids;
    for (const SeenRequest& seen : driver.Requests())
        if (seen.request.controlCode == code) ids.push_back(seen.DiskId());
    return ids;
}

class SaveDialog : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        pathA = JoinPath(GetDataFolder(), L"savetest-a.ini");
        pathB = JoinPath(GetDataFolder(), L"savetest-b.ini");
    }
    // An idle mounted disk with write-back saving (no settings file: nothing pending or being
    // deleted).
    void AddDisk(const std::wstring& path, int32_t mode = MODE_MEMORY) {
        CVelmoraEXData disk;
        disk.Status.SettingsPath = path;
        disk.Status.Mode = mode;
        disk.Status.DiskOperation = kDiskOperationIdle;
        disk.Setting.SaveType = SAVE_WRITE_BACK;
        manager.AddDisk(disk);
    }
    // Runs the dialog over a fresh tray window.
    INT_PTR Run(TestSaveDlg& dialog) {
        INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(tray.Listeners().empty());
        return result;
    }

    CVelmoraEXManager manager;
    CVMUTaskTrayWnd tray{manager};
    RecordingPrompt prompt;
    DriverScript script;
    std::wstring pathA, pathB;
};

TEST_F(SaveDialog, LargeSaveShowsTheBarUpToItsGrowingMaximumAndEndsWhenNothingRemains) {
    AddDisk(pathA);
    script.Set(pathA, true, {30, 20, 45, 10, 0});
    FakeDriver driver([this](const SeenRequest& seen) { return script.Answer(seen); });
    ASSERT_TRUE(tray.Create());
    TestSaveDlg dialog(tray, prompt);
    ASSERT_EQ(Run(dialog), IDOK);

    ASSERT_EQ(dialog.snapshots.size(), 5u);
    const int ranges[] = {30, 30, 45, 45, 45}, positions[] = {0, 10, 0, 35, 45};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(dialog.snapshots[i].visible);
        EXPECT_EQ(dialog.snapshots[i].rangeHigh, ranges[i]);
        EXPECT_EQ(dialog.snapshots[i].position, positions[i]);
    }
    EXPECT_EQ(dialog.snapshots[1].text, L"10/30MB");
    EXPECT_EQ(dialog.snapshots[4].text, L"45/45MB");
    EXPECT_EQ(dialog.Maximum(), 45);
    EXPECT_EQ(dialog.Remaining(), 0);
    EXPECT_TRUE(dialog.textsFit);
    EXPECT_EQ(dialog.title, L"VelmoraEX");
    EXPECT_FALSE(dialog.style & WS_SYSMENU);  // no close box
    EXPECT_TRUE(dialog.pictureHasBitmap);
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_FALSE(dialog.IsStalled());

    // Sync-begin first, sync-end once after the last query.
    const std::vector<uint32_t> codes = driver.Codes();
    ASSERT_GE(codes.size(), 7u);
    EXPECT_EQ(codes.front(), IOCTL_RAMDISK_SYNC_BEGIN);
    EXPECT_EQ(codes.back(), IOCTL_RAMDISK_SYNC_END);
    EXPECT_EQ(IdsOf(driver, IOCTL_RAMDISK_SYNC_END), std::vector<std::wstring>{pathA});
}

TEST_F(SaveDialog, SmallSaveNeverShowsTheWindowAndEndsOk) {
    AddDisk(pathA);
    script.Set(pathA, true, {5, 0.25, 0});
    FakeDriver driver([this](const SeenRequest& seen) { return script.Answer(seen); });
    ASSERT_TRUE(tray.Create());
    TestSaveDlg dialog(tray, prompt);
    ASSERT_EQ(Run(dialog), IDOK);
    EXPECT_FALSE(dialog.everVisible);
    ASSERT_EQ(dialog.snapshots.size(), 3u);
    // Less than 1 MiB still counts as 1 MB.
    EXPECT_EQ(dialog.snapshots[0].text, L"0/5MB");
    EXPECT_EQ(dialog.snapshots[1].text, L"4/5MB");
    EXPECT_EQ(dialog.snapshots[2].text, L"5/5MB");
    EXPECT_EQ(IdsOf(driver, IOCTL_RAMDISK_SYNC_END).size(), 1u);
}

TEST_F(SaveDialog, DiskWhoseSyncBeginFailsIsNotWaitedForNorEnded) {
    AddDisk(pathA);
    AddDisk(pathB);
    script.Set(pathA, true, {3, 0});
    script.Set(pathB, false, {50});
    FakeDriver driver([this](const SeenRequest& seen) { return script.Answer(seen); });
    ASSERT_TRUE(tray.Create());
    TestSaveDlg dialog(tray, prompt);
    ASSERT_EQ(Run(dialog), IDOK);
    EXPECT_EQ(dialog.Disks(), std::vector<std::wstring>{pathA});
    EXPECT_FALSE(dialog.everVisible);  // B's 50 MB do not count
    EXPECT_EQ(IdsOf(driver, IOCTL_RAMDISK_SYNC_BEGIN), (std::vector<std::wstring>{pathA, pathB}));
    EXPECT_EQ(IdsOf(driver, IOCTL_RAMDISK_SYNC_END), std::vector<std::wstring>{pathA});
}

TEST_F(SaveDialog, WaitsUntilEveryListedDiskHasReportedNothingLeft) {
    AddDisk(pathA);
    AddDisk(pathB);
    // B is saved at once; A's first query fails, then it still has data.
    script.Set(pathA, true, {});
    script.Set(pathB, true, {0});
    FakeDriver driver([this](const SeenRequest& seen) { return script.Answer(seen); });
    ASSERT_TRUE(tray.Create());
    TestSaveDlg dialog(tray, prompt);
    dialog.onUpdate = [this](TestSaveDlg& d) {
        if (d.snapshots.size() == 1) script.Set(pathA, true, {2, 0});
    };
    ASSERT_EQ(Run(dialog), IDOK);
    std::vector<std::wstring> reported;
    for (const Snapshot& shot : dialog.snapshots) reported.push_back(shot.path);
    // B alone at first (A's query failed), then both until A is done.
    ASSERT_GE(reported.size(), 4u);
    EXPECT_EQ(reported[0], pathB);
    EXPECT_EQ(std::count(reported.begin(), reported.end(), pathA), 2);
    EXPECT_EQ(dialog.snapshots.back().text, L"2/2MB");
    EXPECT_EQ(IdsOf(driver, IOCTL_RAMDISK_SYNC_END).size(), 2u);
}

TEST_F(SaveDialog, NothingToSaveOrNoDiskTakingTheSyncEndsCancelAtOnce) {
    AddDisk(pathA, MODE_NOT_MOUNTED);
    script.Set(pathA, true, {0});
    FakeDriver driver([this](const SeenRequest& seen) { return script.Answer(seen); });
    ASSERT_TRUE(tray.Create());
    {
        TestSaveDlg dialog(tray, prompt);
        EXPECT_EQ(Run(dialog), IDCANCEL);
        EXPECT_FALSE(dialog.everVisible);
        EXPECT_TRUE(driver.Requests().empty());
    }
    AddDisk(pathB);
    script.Set(pathB, false, {0});
    TestSaveDlg dialog(tray, prompt);
    EXPECT_EQ(Run(dialog), IDCANCEL);
    EXPECT_TRUE(dialog.snapshots.empty());
    EXPECT_EQ(IdsOf(driver, IOCTL_RAMDISK_SYNC_BEGIN), std::vector<std::wstring>{pathB});
    EXPECT_TRUE(IdsOf(driver, IOCTL_RAMDISK_SYNC_END).empty());
    EXPECT_FALSE(tray.IsPolling());
}

TEST_F(SaveDialog, CancelledSessionEndShowsTheNoticeOnceOnWindows8AndStillFinishesTheSave) {
    AddDisk(pathA);
    FakeDriver driver([this](const SeenRequest& seen) { return script.Answer(seen); });
    ASSERT_TRUE(tray.Create());
    struct Case {
        bool windows8;
        WPARAM endSession;
        size_t notices;
    } cases[] = {{true, FALSE, 1}, {false, FALSE, 0}, {true, TRUE, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.windows8 << c.endSession);
        prompt.boxes.clear();
        script.Set(pathA, true, {20, 12, 0});
        TestSaveDlg dialog(tray, prompt);
        dialog.windows8 = c.windows8;
        dialog.onUpdate = [&c](TestSaveDlg& d) {
            if (d.snapshots.size() == 1) d.SendMessage(WM_ENDSESSION, c.endSession);
        };
        ASSERT_EQ(Run(dialog), IDOK);
        EXPECT_EQ(dialog.snapshots.size(), 3u);  // the save went on to its end
        ASSERT_EQ(prompt.boxes.size(), c.notices);
        if (c.notices) {
            EXPECT_EQ(prompt.boxes[0].caption, L"VelmoraEX");
            EXPECT_EQ(prompt.boxes[0].text, L"シャットダウン処理はキャンセルされました。");
            EXPECT_EQ(prompt.boxes[0].style, static_cast<UINT>(MB_ICONINFORMATION));
        }
    }
}

TEST_F(SaveDialog, SilentDriverShowsTheWaitAndEndsOnlyAfterTheSessionEndWasCancelled) {
    AddDisk(pathA);
    script.Set(pathA, true, {});  // every query fails: the poll reports nothing
    FakeDriver driver([this](const SeenRequest& seen) { return script.Answer(seen); });
    ASSERT_TRUE(tray.Create());
    TestSaveDlg dialog(tray, prompt);
    dialog.SetStallTimeout(1500);
    DWORD start = GetTickCount(), shownAfter = 0;
    int visibleTicks = 0;
    dialog.onVisibleTick = [&](TestSaveDlg& d) {
        if (++visibleTicks == 1) shownAfter = GetTickCount() - start;
        // Visible and still waiting a while later; then the user cancels the shutdown.
        if (visibleTicks == 10) {
            EXPECT_TRUE(d.IsStalled());
            d.SendMessage(WM_ENDSESSION, FALSE);
        }
    };
    EXPECT_EQ(Run(dialog), IDCANCEL);
    EXPECT_GE(visibleTicks, 10);
    EXPECT_GE(shownAfter, 1400u);
    EXPECT_TRUE(dialog.snapshots.empty());
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, L"シャットダウン処理はキャンセルされました。");
    EXPECT_EQ(IdsOf(driver, IOCTL_RAMDISK_SYNC_END), std::vector<std::wstring>{pathA});
}

TEST_F(SaveDialog, WithoutTheDriverTheListIsKeptAndWaitedFor) {
    AddDisk(pathA);
    AddDisk(pathB);
    ASSERT_TRUE(tray.Create());
    TestSaveDlg dialog(tray, prompt);
    dialog.SetStallTimeout(1000);
    dialog.windows8 = false;
    size_t listed = 0;
    dialog.onVisibleTick = [&](TestSaveDlg& d) {
        listed = d.Disks().size();
        d.SendMessage(WM_ENDSESSION, FALSE);
    };
    EXPECT_EQ(Run(dialog), IDCANCEL);
    EXPECT_EQ(listed, 2u);
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST(SaveDialogFigures, MegabytesRoundDownButNeverToNothing) {
    EXPECT_EQ(CSaveDlg::ToMegabytes(0), 0);
    EXPECT_EQ(CSaveDlg::ToMegabytes(1), 1);
    EXPECT_EQ(CSaveDlg::ToMegabytes((1u << 20) - 1), 1);
    EXPECT_EQ(CSaveDlg::ToMegabytes(1u << 20), 1);
    EXPECT_EQ(CSaveDlg::ToMegabytes((10u << 20) + 5), 10);
    EXPECT_EQ(CSaveDlg::ToMegabytes(UINT64_MAX), INT32_MAX);
}

}  // namespace
