#include "utility/ui/VMUPropertyVlinkPage.h"

#include "framework/FileSystem.h"
#include "utility/core/MessageText.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/core/VlinkCommands.h"
#include "utility/ui/TrayPrompt.h"
#include "utility/ui/VMUPropertySheet.h"
#include "utility/ui/VlinkAddDialog.h"
#include "utility/ui/resource.h"

CVMUPropertyVlinkPage::CVMUPropertyVlinkPage() : CVMUSheetPage(IDD_PROPERTY_VLINK) {}

BOOL CVMUPropertyVlinkPage::OnInitDialog() {
    m_list.SubclassDlgItem(IDC_VLINK_LIST, this);
    m_list.Setup();
    if (CVMUPropertySheet* sheet = Sheet()) {
        const CVelmoraEXData& disk = sheet->WorkingCopy();
        for (const CVelmoraEXVlinkData& link : disk.Vlinks) m_list.AddLink(link, disk.Status.CurrentLetter);
        for (const std::wstring& source : disk.PendingVlinks)
            m_list.AddLink(CVelmoraEXVlinkData(source, L"", L""), disk.Status.CurrentLetter);
    }
    UpdateButtons();
    return TRUE;
}

void CVMUPropertyVlinkPage::UpdateButtons() {
    ::EnableWindow(GetDlgItem(IDC_VLINK_DELETE), m_list.GetFirstSelected() >= 0);
}

bool CVMUPropertyVlinkPage::MayChange(bool creating) const {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet) return false;
    unsigned refusal = 0;
    if (sheet->WorkingCopy().Status.Mode == MODE_NOT_MOUNTED || sheet->WorkingCopy().Status.CurrentLetter == 0)
        refusal = IDS_6062;
    else if (creating && sheet->BackupPage().TimingIndex() == 0)
        refusal = IDS_6061;
    if (!refusal) return true;
    sheet->Prompt(UMessageText::Load(refusal), MB_ICONINFORMATION);
    return false;
}

void CVMUPropertyVlinkPage::OnCreate() {
    if (!MayChange(true)) return;
    CVMUPropertySheet* sheet = Sheet();
    CVelmoraEXManager& manager = sheet->Manager();
    const wchar_t drive = sheet->WorkingCopy().Status.CurrentLetter;
    std::vector<CVelmoraEXVlinkData> links;
    std::vector<std::wstring> pending;
    manager.GetAllVlinks(links);
    manager.GetAllPendingVlinks(pending);
    CVlinkAddDialog dialog(sheet->TrayPrompt(), manager, drive, links, pending, this);
    if (dialog.DoModal() != IDOK) return;
    const CVelmoraEXVlinkData& link = dialog.Result();
    switch (sheet->LinkCommands(m_hWnd).CreateLink(drive, link)) {
        case 1:
            m_list.AddLink(link, drive);
            StoreLinks();
            break;
        case 2:
            m_list.AddLink(CVelmoraEXVlinkData(link.src, L"", L""), drive);
            StorePending();
            break;
        default:
            break;  // the command has said why
    }
    UpdateButtons();
}

void CVMUPropertyVlinkPage::OnDelete() {
    const int row = m_list.GetFirstSelected();
    if (row < 0 || !MayChange(false)) return;
    CVMUPropertySheet* sheet = Sheet();
    if (sheet->TrayPrompt().MessageBox(m_hWnd, UMessageText::Load(IDS_6005), UMessageText::Load(IDS_6006),
                                       MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    const CVelmoraEXVlinkData link = m_list.Link(row);
    if (CVlinkListCtrl::IsPending(link)) {
        m_list.RemoveRow(row);
        StorePending();
    } else if (sheet->LinkCommands(m_hWnd).RemoveLink(sheet->WorkingCopy().Status.CurrentLetter, link) == 1) {
        m_list.RemoveRow(row);
        StoreLinks();
    }
    UpdateButtons();
}

void CVMUPropertyVlinkPage::StoreLinks() {
    CVMUPropertySheet* sheet = Sheet();
    const std::wstring& path = sheet->WorkingCopy().Status.SettingsPath;
    const std::vector<CVelmoraEXVlinkData> links = m_list.Links();
    USettingsFile::WriteVlink(path, links);
    const std::wstring pending = USettingsPaths::GetPendingSettingsPath(path);
    if (UFileSystem::Exists(pending)) USettingsFile::WriteVlink(pending, links);
    sheet->Manager().SetVlinks(path, links);
    sheet->WorkingCopy().Vlinks = links;
}

void CVMUPropertyVlinkPage::StorePending() {
    CVMUPropertySheet* sheet = Sheet();
    const std::wstring& path = sheet->WorkingCopy().Status.SettingsPath;
    const std::vector<std::wstring> sources = m_list.PendingSources();
    USettingsFile::WriteRVlink(path, sources);
    const std::wstring pending = USettingsPaths::GetPendingSettingsPath(path);
    if (UFileSystem::Exists(pending)) USettingsFile::WriteRVlink(pending, sources);
    sheet->Manager().SetPendingVlinks(path, sources);
    sheet->WorkingCopy().PendingVlinks = sources;
}

BOOL CVMUPropertyVlinkPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDC_VLINK_CREATE) {
            OnCreate();
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_VLINK_DELETE) {
            OnDelete();
            return TRUE;
        }
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}

BOOL CVMUPropertyVlinkPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IDC_VLINK_LIST && header->code == LVN_ITEMCHANGED) UpdateButtons();
    return CPropertyPage::OnNotify(wParam, lParam, result);
}
