#include "utility/ui/VMUPropertyBackupPage.h"

#include <shlobj.h>

#include <cwctype>

#include "framework/TaskMemory.h"
#include "utility/core/MessageText.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/DataFolder.h"
#include "utility/ui/VMUPropertySheet.h"
#include "utility/ui/resource.h"

namespace {
const int kTimingRadios[] = {IDC_BACKUP_NONE, IDC_BACKUP_LOGOFF, IDC_BACKUP_WRITEBACK, IDC_BACKUP_WRITETHROUGH};
const int kBackupControls[] = {IDC_BACKUP_DEFAULT, IDC_BACKUP_BROWSE, IDC_BACKUP_FOLDER, IDC_BACKUP_LOAD_NORMAL,
                               IDC_BACKUP_LOAD_FAST};
}  // namespace

CVMUPropertyBackupPage::CVMUPropertyBackupPage() : CVMUSheetPage(IDD_PROPERTY_BACKUP) {}

BOOL CVMUPropertyBackupPage::OnInitDialog() {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet) return TRUE;
    const CVelmoraEXSettingData& setting = sheet->WorkingCopy().Setting;
    const bool backedUp = setting.SaveType >= SAVE_AT_LOGOFF && setting.SaveType <= SAVE_WRITE_THROUGH;
    SelectTiming(backedUp ? static_cast<int>(setting.SaveType) : 0);
    CheckRadioButton(m_hWnd, IDC_BACKUP_LOAD_NORMAL, IDC_BACKUP_LOAD_FAST,
                     setting.LoadType == LOAD_FAST ? IDC_BACKUP_LOAD_FAST : IDC_BACKUP_LOAD_NORMAL);
    SetDlgItemText(IDC_BACKUP_FOLDER, setting.BackupBaseDir.c_str());
    EnableBackupControls();
    return TRUE;
}

int CVMUPropertyBackupPage::ReadTiming() const {
    for (int i = 0; i < 4; ++i)
        if (IsDlgButtonChecked(m_hWnd, kTimingRadios[i]) == BST_CHECKED) return i;
    return 0;
}

void CVMUPropertyBackupPage::SelectTiming(int index) {
    m_timing = index;
    CheckRadioButton(m_hWnd, IDC_BACKUP_NONE, IDC_BACKUP_WRITETHROUGH, kTimingRadios[index]);
}

std::wstring CVMUPropertyBackupPage::FolderText() const { return GetDlgItemText(IDC_BACKUP_FOLDER); }

void CVMUPropertyBackupPage::EnableBackupControls() {
    for (int id : kBackupControls) ::EnableWindow(GetDlgItem(id), m_timing != 0);
}

// No backup is refused while the Chrome cache or a virtual link needs the disk's contents kept.
void CVMUPropertyBackupPage::OnTimingClicked() {
    const int chosen = ReadTiming();
    CVMUPropertySheet* sheet = Sheet();
    if (chosen == 0 && sheet) {
        unsigned refusal = 0;
        if (sheet->ChromeCacheChosen())
            refusal = IDS_6063;
        else if (sheet->HasVirtualLinks())
            refusal = IDS_6064;
        if (refusal) {
            Prompt(refusal, MB_ICONINFORMATION);
            SelectTiming(m_timing);
            return;
        }
    }
    m_timing = chosen;
    EnableBackupControls();
}

void CVMUPropertyBackupPage::OnBrowse() {
    const HRESULT com = CoInitialize(nullptr);
    const std::wstring title = UMessageText::Load(IDS_3010);
    BROWSEINFOW info = {};
    info.hwndOwner = m_hWnd;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    {
        CTaskMemory<LPITEMIDLIST> chosen(SHBrowseForFolderW(&info));
        wchar_t path[MAX_PATH] = {};
        if (chosen && SHGetPathFromIDListW(chosen.Get(), path)) SetDlgItemText(IDC_BACKUP_FOLDER, path);
    }
    if (SUCCEEDED(com)) CoUninitialize();
}

// The disk's own folder when it is a default one no other disk uses, else the next free default.
void CVMUPropertyBackupPage::OnDefault() {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet) return;
    const CVelmoraEXData& disk = sheet->WorkingCopy();
    const std::wstring& current = disk.Setting.BackupBaseDir;
    const bool ownDefault =
        IsInDataFolder(current) && sheet->Manager().IsBackupFolderFree(disk.Status.SettingsPath, current);
    SetDlgItemText(IDC_BACKUP_FOLDER, (ownDefault ? current : USettingsPaths::GetNewBackupFolder()).c_str());
}

BOOL CVMUPropertyBackupPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
            case IDC_BACKUP_NONE:
            case IDC_BACKUP_LOGOFF:
            case IDC_BACKUP_WRITEBACK:
            case IDC_BACKUP_WRITETHROUGH:
                OnTimingClicked();
                return TRUE;
            case IDC_BACKUP_BROWSE:
                OnBrowse();
                return TRUE;
            case IDC_BACKUP_DEFAULT:
                OnDefault();
                return TRUE;
        }
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}

BOOL CVMUPropertyBackupPage::OnApply() {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet || !m_hWnd) return FALSE;
    if (sheet->IsClosing()) return TRUE;  // accepted already
    CVelmoraEXSettingData& next = sheet->Property().NewSetting;
    const CVelmoraEXData& disk = sheet->WorkingCopy();
    const int timing = ReadTiming();
    const std::wstring folder = FolderText();
    next.SaveType = timing;
    next.LoadType = IsDlgButtonChecked(m_hWnd, IDC_BACKUP_LOAD_FAST) == BST_CHECKED ? LOAD_FAST : LOAD_NORMAL;
    next.BackupBaseDir = folder;

    if (timing != SAVE_NONE) {
        unsigned refusal = 0;
        if (folder.empty())
            refusal = IDS_4113;
        else if (sheet->Manager().IsLetterInUse(static_cast<wchar_t>(std::towupper(folder[0]))))
            refusal = IDS_4114;
        else if (!sheet->Manager().IsBackupFolderFree(disk.Status.SettingsPath, folder))
            refusal = IDS_6007;
        if (refusal) {
            Prompt(refusal, MB_ICONINFORMATION);
            return FALSE;
        }
    }
    const bool wasBackedUp = disk.Setting.SaveType != SAVE_NONE;
    if (!sheet->IsNewDisk() && wasBackedUp && timing == SAVE_NONE &&
        Prompt(IDS_4111, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return FALSE;
    return TRUE;
}
