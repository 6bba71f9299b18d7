#include "utility/ui/VlinkAddDialog.h"

#include <shlobj.h>

#include <cwctype>

#include "common/Junction.h"
#include "framework/TaskMemory.h"
#include "utility/core/MessageText.h"
#include "utility/core/SettingsRules.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/core/VlinkPaths.h"
#include "utility/ui/TrayPrompt.h"
#include "utility/ui/resource.h"

namespace {

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// A drive ("C:"), a folder part and a name, as a full folder path needs them.
bool HasDriveFolderAndName(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || !std::iswalpha(path[0])) return false;
    const size_t slash = path.find_last_of(L"\\/");
    return slash != std::wstring::npos && slash >= 2 && slash + 1 < path.size();
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

CVlinkAddDialog::CVlinkAddDialog(ITrayPrompt& prompt, const CVelmoraEXManager& manager, wchar_t drive,
                                 std::vector<CVelmoraEXVlinkData> links, std::vector<std::wstring> pending,
                                 CWnd* parent)
    : CDialog(IDD_VLINK_ADD, parent),
      m_prompt(prompt),
      m_manager(manager),
      m_drive(drive),
      m_links(std::move(links)),
      m_pending(std::move(pending)) {}

BOOL CVlinkAddDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_VLINK_ADD_BROWSE && HIWORD(wParam) == BN_CLICKED) {
        OnBrowse();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CVlinkAddDialog::OnBrowse() {
    const HRESULT com = CoInitialize(nullptr);
    {
        CTaskMemory<LPITEMIDLIST> root;
        SHGetSpecialFolderLocation(m_hWnd, CSIDL_DRIVES, root.Put());
        const std::wstring title = UMessageText::Load(IDS_6003);
        BROWSEINFOW info = {};
        info.hwndOwner = m_hWnd;
        info.pidlRoot = root.Get();
        info.lpszTitle = title.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE;
        CTaskMemory<LPITEMIDLIST> chosen(SHBrowseForFolderW(&info));
        wchar_t path[MAX_PATH] = {};
        if (chosen && SHGetPathFromIDListW(chosen.Get(), path)) SetDlgItemText(IDC_VLINK_ADD_FOLDER, path);
    }
    if (SUCCEEDED(com)) CoUninitialize();
}

unsigned CVlinkAddDialog::Check(std::wstring& path) const {
    path = Trimmed(path);
    if (!HasDriveFolderAndName(path)) return IDS_6008;
    wchar_t full[MAX_PATH * 2] = {};
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 2) return IDS_6008;
    path = full;
    if (m_manager.IsLetterInUse(static_cast<wchar_t>(std::towupper(path[0])))) return IDS_6010;
    if (!UJunction::IsNtfs(path[0])) return IDS_6009;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return IDS_6011;
    if (UJunction::IsJunction(path)) return IDS_6012;
    for (const CVelmoraEXVlinkData& link : m_links)
        if (USettingsRules::EqualNoCase(link.src, path)) return IDS_6012;
    for (const std::wstring& source : m_pending)
        if (USettingsRules::EqualNoCase(source, path)) return IDS_6012;
    return 0;
}

void CVlinkAddDialog::OnOK() {
    std::wstring path = GetDlgItemText(IDC_VLINK_ADD_FOLDER);
    const unsigned refusal = Check(path);
    SetDlgItemText(IDC_VLINK_ADD_FOLDER, path.c_str());
    if (refusal) {
        m_prompt.MessageBox(m_hWnd, UMessageText::Load(IDS_6005), UMessageText::Load(refusal), MB_ICONINFORMATION);
        return;
    }
    // A RAM-disk folder is taken when it exists or another link already uses it.
    const auto ramTaken = [this](const std::wstring& full) {
        if (Exists(full)) return true;
        for (const CVelmoraEXVlinkData& link : m_links)
            if (full.size() > 2 && USettingsRules::EqualNoCase(link.dst, full.substr(2))) return true;
        return false;
    };
    m_result = CVelmoraEXVlinkData(path, UVlinkPaths::RamFolderFor(m_drive, path, ramTaken),
                                   UVlinkPaths::BackupFolderFor(path, Exists));
    EndDialog(IDOK);
}
