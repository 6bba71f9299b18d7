#include "utility/ui/SaveDlg.h"

#include <commctrl.h>

#include <climits>
#include <cwchar>

#include "utility/core/MessageText.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/OSVersion.h"
#include "utility/disk/VelmoraAPI.h"
#include "utility/ui/TaskTray.h"
#include "utility/ui/TrayPrompt.h"
#include "utility/ui/VMUTaskTrayWnd.h"
#include "utility/ui/resource.h"

namespace {
// Above this many MB the dialog shows itself.
const int32_t kShowAboveMb = 9;
}  // namespace

bool CSaveDlg::PathLess::operator()(const std::wstring& a, const std::wstring& b) const {
    return _wcsicmp(a.c_str(), b.c_str()) < 0;
}

CSaveDlg::CSaveDlg(CVMUTaskTrayWnd& tray, ITrayPrompt& prompt) : CDialog(IDD_SAVE), m_tray(tray), m_prompt(prompt) {}

CSaveDlg::~CSaveDlg() = default;

INT_PTR CSaveDlg::DoModal() { return RunModalLoop(); }

int32_t CSaveDlg::ToMegabytes(uint64_t bytes) {
    const uint64_t mb = bytes >> 20;
    if (bytes != 0 && mb == 0) return 1;
    return mb > static_cast<uint64_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(mb);
}

bool CSaveDlg::IsWindows8OrLater() const {
    COSVersion version;
    version.Read();
    return version.IsWindows8OrLater();
}

BOOL CSaveDlg::OnInitDialog() {
    if (m_picture.SubclassDlgItem(IDC_SAVE_PICTURE, this)) m_picture.m_keyColor = RGB(255, 255, 255);

    if (!m_tray.Manager().GetDisksToSave(m_disks)) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    SyncAll(true);
    if (m_disks.empty()) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    const DWORD now = GetTickCount();
    for (const std::wstring& path : m_disks) m_lastSeen[path] = now;

    m_listenerId = m_tray.AddStatusListener(m_hWnd, kStatusMessage, kStatusIntervalMs);
    m_timer = SetTimer(kForegroundTimerId, kForegroundIntervalMs);
    CenterWindow(GetDesktopWindow());
    return TRUE;
}

void CSaveDlg::SyncAll(bool begin) {
    if (m_disks.empty()) return;
    CVelmoraAPI api;
    // Without the driver the list stays: the poll tells when each disk is saved.
    if (!api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs)) return;
    std::vector<std::wstring> taken;
    for (const std::wstring& path : m_disks) {
        DriverReply reply = {};
        if (api.Sync(path, begin, reply)) taken.push_back(path);
    }
    api.Close();
    if (begin) m_disks.swap(taken);
}

bool CSaveDlg::IsListed(const std::wstring& path) const {
    for (const std::wstring& disk : m_disks)
        if (_wcsicmp(disk.c_str(), path.c_str()) == 0) return true;
    return false;
}

LRESULT CSaveDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kStatusMessage:
            if (wParam && lParam)
                OnStatus(*reinterpret_cast<const RamDiskStatus*>(wParam), reinterpret_cast<const wchar_t*>(lParam));
            return 0;
        case WM_ENDSESSION:
            if (!wParam) m_sessionCancelled = true;
            return 0;
        default:
            return CDialog::WindowProc(message, wParam, lParam);
    }
}

void CSaveDlg::OnStatus(const RamDiskStatus& status, const std::wstring& path) {
    if (m_finishing || !IsListed(path)) return;
    m_statuses[path] = status;
    m_lastSeen[path] = GetTickCount();

    uint64_t unsaved = 0;
    for (const auto& entry : m_statuses) {
        const uint64_t bytes = entry.second.UnsavedBytes();
        unsaved = bytes > UINT64_MAX - unsaved ? UINT64_MAX : unsaved + bytes;
    }
    m_remaining = ToMegabytes(unsaved);
    UpdateProgress();
    if (!IsWindowVisible() && m_remaining > kShowAboveMb) ShowWindow(SW_SHOW);

    if (m_remaining > 0) return;
    for (const std::wstring& disk : m_disks)
        if (m_statuses.find(disk) == m_statuses.end()) return;
    Finish(IDOK);
}

void CSaveDlg::UpdateProgress() {
    HWND bar = GetDlgItem(IDC_SAVE_PROGRESS);
    // The range only grows, so that a rising amount does not move the bar backwards past 0.
    if (m_maximum == 0 || m_maximum < m_remaining) {
        m_maximum = m_remaining;
        ::SendMessageW(bar, PBM_SETRANGE32, 0, m_maximum);
    }
    SetDlgItemText(IDC_SAVE_TEXT, UMessageText::Format(IDS_7005, {m_maximum - m_remaining, m_maximum}).c_str());
    ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(m_maximum - m_remaining), 0);
}

void CSaveDlg::OnTimer(UINT_PTR id) {
    if (id != kForegroundTimerId) {
        CDialog::OnTimer(id);
        return;
    }
    CheckStall();
    // Above the shutdown screen.
    if (!m_finishing && IsWindowVisible()) CTaskTray::ForceForeground(m_hWnd);
}

// The dialog has no time-out of its own: while the poll brings nothing for a listed disk, the
// driver's progress is unknown and the data may still be unsaved, so the wait goes on, but in
// the open, so that the held shutdown is explained. Once the session end has been cancelled
// nobody waits for the save any more; the dialog then gives the desktop back and the contents
// stay in the driver.
void CSaveDlg::CheckStall() {
    if (m_finishing) return;
    const DWORD now = GetTickCount();
    m_stalled = false;
    for (const auto& entry : m_lastSeen)
        if (now - entry.second >= m_stallMs) m_stalled = true;
    if (!m_stalled) return;
    if (!IsWindowVisible()) ShowWindow(SW_SHOW);
    if (m_sessionCancelled) Finish(IDCANCEL);
}

void CSaveDlg::Finish(int result) {
    if (m_finishing) return;
    m_finishing = true;
    if (m_sessionCancelled && !m_noticeShown && IsWindows8OrLater()) {
        if (m_timer) KillTimer(kForegroundTimerId);
        m_timer = 0;
        m_noticeShown = true;
        m_prompt.MessageBox(m_hWnd, UMessageText::Load(IDS_10001), UMessageText::Load(IDS_6066), MB_ICONINFORMATION);
    }
    EndDialog(result);
}

void CSaveDlg::OnDestroy() {
    SyncAll(false);
    if (m_timer) KillTimer(kForegroundTimerId);
    m_timer = 0;
    if (m_listenerId >= 0) m_tray.RemoveStatusListener(m_listenerId);
    m_listenerId = -1;
    CDialog::OnDestroy();
}
