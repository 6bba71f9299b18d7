#include "utility/ui/VMUStatusWholePage.h"

#include <shlobj.h>

#include <memory>

#include "common/Junction.h"
#include "framework/PropertySheet.h"
#include "utility/core/MessageText.h"
#include "utility/core/PhysicalMemory.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/RamDiskStatus.h"
#include "utility/links/BrowserChrome.h"
#include "utility/links/BrowserFirefox.h"
#include "utility/links/FirefoxProfileIni.h"
#include "utility/ui/BrowsingDataJobs.h"
#include "utility/ui/DeleteIECacheDlg.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/ui/OptionDlg.h"
#include "utility/ui/PropertySheetFactory.h"
#include "utility/ui/TrayPrompt.h"
#include "utility/ui/VMUTaskTrayWnd.h"
#include "utility/ui/resource.h"

namespace {

// The drive part ("C:") of a path; a leading "\??\" of a junction target is skipped.
std::wstring DrivePart(std::wstring path) {
    if (path.compare(0, 4, L"\\??\\") == 0) path.erase(0, 4);
    return path.size() >= 2 ? path.substr(0, 2) : std::wstring();
}

std::wstring FolderPath(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
    return path;
}

std::wstring OrNotSet(const std::wstring& text) { return text.empty() ? UMessageText::Load(IDS_6026) : text; }

}  // namespace

CVMUStatusWholePage::CVMUStatusWholePage(CVMUTaskTrayWnd& tray, IPropertySheetFactory& factory, ITrayPrompt& prompt)
    : CPropertyPage(IDD_STATUS_WHOLE), m_tray(tray), m_factory(factory), m_prompt(prompt) {
    m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
}

CVMUStatusWholePage::~CVMUStatusWholePage() {
    StopTimer();
    RemoveListener();
    m_list.Detach();
}

BOOL CVMUStatusWholePage::OnInitDialog() {
    m_list.Detach();
    m_list.Attach(GetDlgItem(IDC_STATUS_LIST));
    m_list.InitColumns();
    for (const CVelmoraEXData& disk : m_tray.Manager().Disks()) m_list.AddDisk(disk);
    UpdateMemory();
    UpdateListener();
    UpdateLocations();
    SetDlgItemText(IDC_STATUS_GROUP, UMessageText::Load(IDS_10003).c_str());
    UpdateButtons();
    return TRUE;
}

BOOL CVMUStatusWholePage::OnSetActive() {
    if (!m_timer) m_timer = SetTimer(kTimerId, kTimerMs);
    UpdateListener();
    UpdateButtons();
    return TRUE;
}

BOOL CVMUStatusWholePage::OnKillActive() {
    StopTimer();
    RemoveListener();
    return TRUE;
}

void CVMUStatusWholePage::OnDestroy() {
    StopTimer();
    RemoveListener();
}

void CVMUStatusWholePage::OnTimer(UINT_PTR id) {
    if (id != kTimerId) {
        CPropertyPage::OnTimer(id);
        return;
    }
    UpdateMemory();
    UpdateListener();
    UpdateButtons();
}

void CVMUStatusWholePage::StopTimer() {
    if (m_timer && m_hWnd) KillTimer(kTimerId);
    m_timer = 0;
}

void CVMUStatusWholePage::RemoveListener() {
    if (m_listenerId < 0) return;
    m_tray.RemoveStatusListener(m_listenerId);
    m_listenerId = -1;
}

void CVMUStatusWholePage::UpdateListener() {
    if (!m_hWnd) return;
    if (m_tray.Manager().HasWriteBackDisk()) {
        if (m_listenerId < 0) m_listenerId = m_tray.AddStatusListener(m_hWnd, kStatusMessage, kTimerMs);
    } else {
        RemoveListener();
    }
}

void CVMUStatusWholePage::UpdateMemory() {
    const MemoryFigures figures = UPhysicalMemory::Read();
    SetDlgItemText(IDC_STATUS_TOTAL_MEMORY, CVelmoraDiskListCtrl::MegabyteText(figures.totalPhys).c_str());
    SetDlgItemText(IDC_STATUS_FREE_MEMORY, CVelmoraDiskListCtrl::MegabyteText(figures.availPhys).c_str());
}

std::wstring CVMUStatusWholePage::InternetExplorerLocation() const {
    const std::wstring cache = DrivePart(FolderPath(CSIDL_INTERNET_CACHE));
    const std::wstring history = DrivePart(FolderPath(CSIDL_HISTORY));
    if (cache.empty()) return history;
    if (history.empty() || CompareStringOrdinal(cache.c_str(), -1, history.c_str(), -1, TRUE) == CSTR_EQUAL)
        return cache;
    return cache + L" " + history;
}

std::wstring CVMUStatusWholePage::FirefoxLocation() const {
    UBrowserFirefox::CFirefoxProfileIni profiles;
    std::wstring profile;
    if (!profiles.Load(UBrowserFirefox::RoamingRoot()) || !profiles.GetDefaultProfileFolder(profile))
        return std::wstring();
    return DrivePart(UBrowserFirefox::GetCacheParent(profile));
}

std::wstring CVMUStatusWholePage::ChromeLocation() const {
    const std::wstring folder = UBrowserChrome::CacheFolder();
    if (folder.empty()) return std::wstring();
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::wstring();
    std::wstring target;
    if (UJunction::IsJunction(folder, &target) && !target.empty()) return DrivePart(target);
    return DrivePart(folder);
}

void CVMUStatusWholePage::UpdateLocations() {
    SetDlgItemText(IDC_STATUS_IE_DRIVE, OrNotSet(InternetExplorerLocation()).c_str());
    SetDlgItemText(IDC_STATUS_FIREFOX_DRIVE, OrNotSet(FirefoxLocation()).c_str());
    SetDlgItemText(IDC_STATUS_CHROME_DRIVE, OrNotSet(ChromeLocation()).c_str());
}

void CVMUStatusWholePage::UpdateButtons() {
    if (!m_hWnd) return;
    const CVelmoraEXManager& manager = m_tray.Manager();
    const bool idle = manager.IsIdle() != 0;
    const int row = m_list.GetFirstSelected();
    CVelmoraEXData disk;
    const bool known = row >= 0 && manager.FindDisk(m_list.NameOf(row), disk) != 0;
    const bool enabled = known && CVelmoraDiskListCtrl::IsEnabled(disk);
    ::EnableWindow(GetDlgItem(IDC_STATUS_NEW), idle);
    ::EnableWindow(GetDlgItem(IDC_STATUS_DELETE), idle && row >= 0);
    ::EnableWindow(GetDlgItem(IDC_STATUS_ENABLE), idle && known && !enabled);
    ::EnableWindow(GetDlgItem(IDC_STATUS_DISABLE), idle && known && enabled);
    ::EnableWindow(GetDlgItem(IDC_STATUS_PROPERTY), idle && row >= 0);
    ::EnableWindow(GetDlgItem(IDC_STATUS_IE_DELETE), TRUE);
    ::EnableWindow(GetDlgItem(IDC_STATUS_OPTION), TRUE);
}

void CVMUStatusWholePage::Refresh(int code, const std::wstring& path) {
    if (!m_hWnd || !m_list.m_hWnd) return;
    if (code == REFRESH_RELOAD) {
        m_tray.Manager().RefreshStatus();
        code = REFRESH_CURRENT;
    }
    CVelmoraEXData disk;
    const int row = m_list.FindDisk(path);
    if (row >= 0 && m_tray.Manager().FindDisk(path, disk)) {
        const bool enabled =
            code == REFRESH_ENABLED || (code == REFRESH_CURRENT && CVelmoraDiskListCtrl::IsEnabled(disk));
        m_list.DrawRow(row, disk, enabled);
    }
    UpdateButtons();
    UpdateMemory();
}

bool CVMUStatusWholePage::AddDiskRow(const CVelmoraEXData& disk) {
    if (!m_hWnd || !m_list.m_hWnd) return true;
    const bool added = m_list.AddDisk(disk) >= 0;
    UpdateButtons();
    return added;
}

void CVMUStatusWholePage::RemoveDiskRow(const std::wstring& path) {
    if (!m_hWnd || !m_list.m_hWnd) return;
    m_list.RemoveDisk(path);
    UpdateButtons();
}

void CVMUStatusWholePage::CloseOpenSheet(bool closeSheetAfter) {
    if (!m_openSheet) {
        if (closeSheetAfter && GetSheetHwnd()) ::PostMessageW(GetSheetHwnd(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        return;
    }
    m_closeSheetAfter = m_closeSheetAfter || closeSheetAfter;
    m_openSheet->EndDialog(IDCANCEL);
}

void CVMUStatusWholePage::OnStatus(const void* status, const wchar_t* path) {
    if (!status || !path) return;
    const int row = m_list.FindDisk(path);
    CVelmoraEXData disk;
    if (row < 0 || !m_tray.Manager().FindDisk(path, disk)) return;
    if (!CVelmoraDiskListCtrl::ShowsUnsaved(disk, CVelmoraDiskListCtrl::IsEnabled(disk))) return;
    m_list.SetUnsaved(row, static_cast<const RamDiskStatus*>(status)->UnsavedBytes());
}

LRESULT CVMUStatusWholePage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kStatusMessage) {
        OnStatus(reinterpret_cast<const void*>(wParam), reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    }
    return CPropertyPage::WindowProc(message, wParam, lParam);
}

BOOL CVMUStatusWholePage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (m_list.ReflectNotify(lParam, result)) return TRUE;
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && m_list.m_hWnd && header->hwndFrom == m_list.m_hWnd && header->code == LVN_ITEMCHANGED) {
        UpdateButtons();
        *result = 0;
        return TRUE;
    }
    return CPropertyPage::OnNotify(wParam, lParam, result);
}

BOOL CVMUStatusWholePage::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != BN_CLICKED) return CPropertyPage::OnCommand(wParam, lParam);
    switch (LOWORD(wParam)) {
        case IDC_STATUS_NEW:
            OnNew();
            break;
        case IDC_STATUS_DELETE:
            OnDelete();
            break;
        case IDC_STATUS_ENABLE:
            OnEnable();
            break;
        case IDC_STATUS_DISABLE:
            OnDisable();
            break;
        case IDC_STATUS_PROPERTY:
            OnProperties();
            break;
        case IDC_STATUS_IE_DELETE:
            RunBrowsingDataDeletion();
            break;
        case IDC_STATUS_OPTION:
            OnOptions();
            break;
        default:
            return CPropertyPage::OnCommand(wParam, lParam);
    }
    UpdateButtons();
    return TRUE;
}

CWnd* CVMUStatusWholePage::SheetWnd() const { return CWnd::FromHandle(GetSheetHwnd()); }

void CVMUStatusWholePage::RunPropertySheet(const std::wstring& settingsPath, const std::wstring& caption) {
    if (m_openSheet) return;
    std::unique_ptr<CPropertySheet> sheet = m_factory.Create(SheetWnd(), settingsPath, caption);
    if (!sheet) return;
    m_openSheet = sheet.get();
    sheet->DoModal();
    m_openSheet = nullptr;
    // The status sheet ends only once the settings sheet's own loop is over.
    if (m_closeSheetAfter && GetSheetHwnd()) ::PostMessageW(GetSheetHwnd(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    m_closeSheetAfter = false;
}

void CVMUStatusWholePage::OnNew() {
    if (!m_tray.Manager().IsIdle()) return;
    RunPropertySheet(std::wstring(), std::wstring());
}

void CVMUStatusWholePage::OnProperties() {
    const int row = m_list.GetFirstSelected();
    if (row < 0 || !m_tray.Manager().IsIdle()) return;
    const std::wstring caption =
        UMessageText::Format(IDS_5100, {m_list.GetItemText(row, CVelmoraDiskListCtrl::COL_DISK)});
    RunPropertySheet(m_list.NameOf(row), caption);
}

void CVMUStatusWholePage::OnDelete() {
    const int row = m_list.GetFirstSelected();
    if (row < 0 || !m_tray.Manager().IsIdle()) return;
    const std::wstring name = m_list.NameOf(row);
    if (m_prompt.MessageBox(GetSheetHwnd(), UMessageText::Load(IDS_10001), UMessageText::Load(IDS_5105),
                            MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    m_tray.Sequencer().DeleteDisk(name);
}

void CVMUStatusWholePage::OnEnable() {
    const int row = m_list.GetFirstSelected();
    CVelmoraEXData disk;
    if (row < 0 || !m_tray.Manager().IsIdle() || !m_tray.Manager().FindDisk(m_list.NameOf(row), disk)) return;
    if (CVelmoraDiskListCtrl::IsEnabled(disk)) return;
    m_tray.Sequencer().EnableDisk(disk.Status.SettingsPath);
}

void CVMUStatusWholePage::OnDisable() {
    const int row = m_list.GetFirstSelected();
    CVelmoraEXData disk;
    if (row < 0 || !m_tray.Manager().IsIdle() || !m_tray.Manager().FindDisk(m_list.NameOf(row), disk)) return;
    if (!CVelmoraDiskListCtrl::IsEnabled(disk)) return;
    m_tray.Sequencer().DisableDisk(disk.Status.SettingsPath);
}

void CVMUStatusWholePage::RunBrowsingDataDeletion() {
    CToolsJobLauncher launcher;
    CDeleteIECacheDlg dialog(m_prompt, launcher, SheetWnd());
    dialog.DoModal();
}

void CVMUStatusWholePage::OnOptions() {
    CVelmoraEXManager& manager = m_tray.Manager();
    const CVelmoraEXOptionData before = manager.GetOptions();
    COptionDlg dialog(SheetWnd());
    dialog.TaskTray = before.TaskTray;
    dialog.Indicator = before.Indicator;
    if (dialog.DoModal() != IDOK) return;
    const CVelmoraEXOptionData after = dialog.Options();
    if (!manager.SaveOptions(after)) return;
    if (after.TaskTray != before.TaskTray || after.Indicator != before.Indicator)
        m_tray.ShowTrayIcon(after.TaskTray != 0);
}
