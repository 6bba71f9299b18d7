#include "utility/ui/DeleteIECacheDlg.h"

#include "utility/core/MessageText.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"
#include "utility/disk/DataFolder.h"
#include "utility/ui/DeleteIECacheProgressDlg.h"
#include "utility/ui/TrayPrompt.h"
#include "utility/ui/resource.h"

namespace {
const int kBoxes[] = {IDC_IEDELETE_CACHE, IDC_IEDELETE_COOKIE, IDC_IEDELETE_HISTORY, IDC_IEDELETE_TYPEDURLS};
}  // namespace

CDeleteIECacheDlg::CDeleteIECacheDlg(ITrayPrompt& prompt, IToolsJobLauncher& launcher, CWnd* parent)
    : CDialog(IDD_IE_DELETE, parent), m_prompt(prompt), m_launcher(launcher) {}

BOOL CDeleteIECacheDlg::OnInitDialog() {
    CVelmoraIEDeleteSettingData stored;
    USettingsFile::ReadIEDelete(USettingsPaths::GetIEDeleteFile(), stored);
    const int32_t flags[] = {stored.Cache, stored.Cookie, stored.History, stored.TypedUrls};
    for (size_t i = 0; i < 4; ++i)
        ::SendMessageW(GetDlgItem(kBoxes[i]), BM_SETCHECK, flags[i] ? BST_CHECKED : BST_UNCHECKED, 0);
    UpdateDeleteButton();
    return TRUE;
}

CVelmoraIEDeleteSettingData CDeleteIECacheDlg::Choice() const {
    auto checked = [this](int id) { return ::SendMessageW(GetDlgItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0; };
    CVelmoraIEDeleteSettingData choice;
    choice.Cache = checked(IDC_IEDELETE_CACHE);
    choice.Cookie = checked(IDC_IEDELETE_COOKIE);
    choice.History = checked(IDC_IEDELETE_HISTORY);
    choice.TypedUrls = checked(IDC_IEDELETE_TYPEDURLS);
    return choice;
}

void CDeleteIECacheDlg::UpdateDeleteButton() {
    const CVelmoraIEDeleteSettingData choice = Choice();
    ::EnableWindow(GetDlgItem(IDOK), choice.Cache || choice.Cookie || choice.History || choice.TypedUrls);
}

BOOL CDeleteIECacheDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    for (int box : kBoxes) {
        if (LOWORD(wParam) == box && HIWORD(wParam) == BN_CLICKED) {
            UpdateDeleteButton();
            return TRUE;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDeleteIECacheDlg::OnOK() {
    const CVelmoraIEDeleteSettingData choice = Choice();
    CDeleteIECacheProgressDlg progress(choice, m_launcher, this);
    progress.DoModal();
    EnsureDataFolder();
    USettingsFile::WriteIEDelete(USettingsPaths::GetIEDeleteFile(), choice);
    m_prompt.MessageBox(m_hWnd, UMessageText::Load(IDS_10001), UMessageText::Load(IDS_4220), MB_ICONINFORMATION);
    EndDialog(IDOK);
}
