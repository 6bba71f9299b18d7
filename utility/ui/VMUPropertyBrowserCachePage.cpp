#include "utility/ui/VMUPropertyBrowserCachePage.h"

#include "common/Junction.h"
#include "utility/core/MessageText.h"
#include "utility/core/SettingsRules.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/ui/BrowserFacts.h"
#include "utility/ui/VMUPropertySheet.h"
#include "utility/ui/resource.h"

CVMUPropertyBrowserCachePage::CVMUPropertyBrowserCachePage() : CVMUSheetPage(IDD_PROPERTY_BROWSER_CACHE) {}

bool CVMUPropertyBrowserCachePage::IsChecked(int id) const {
    return m_hWnd && IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
}

void CVMUPropertyBrowserCachePage::SetChecked(int id, bool checked) {
    CheckDlgButton(m_hWnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool CVMUPropertyBrowserCachePage::IsIECacheChecked() const { return IsChecked(IDC_CACHE_IE_FILES); }
bool CVMUPropertyBrowserCachePage::IsChromeChecked() const { return IsChecked(IDC_CACHE_CHROME); }
void CVMUPropertyBrowserCachePage::UncheckIECache() {
    if (m_hWnd) SetChecked(IDC_CACHE_IE_FILES, false);
}

BOOL CVMUPropertyBrowserCachePage::OnInitDialog() {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet) return TRUE;
    const CVelmoraEXCacheSettingData& cache = sheet->WorkingCopy().Setting.CacheSetting;
    SetChecked(IDC_CACHE_IE_FILES, cache.IECache == 1);
    SetChecked(IDC_CACHE_IE_HISTORY, cache.IEHistory == 1);
    SetChecked(IDC_CACHE_FIREFOX, cache.FirefoxCache == 1);
    SetChecked(IDC_CACHE_CHROME, cache.ChromeCache == 1);
    if (sheet->BrowserFacts().IsInternetExplorer10()) ::EnableWindow(GetDlgItem(IDC_CACHE_IE_HISTORY), FALSE);
    return TRUE;
}

BOOL CVMUPropertyBrowserCachePage::OnApply() {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet || !m_hWnd) return FALSE;
    if (sheet->IsClosing()) return TRUE;  // accepted already
    CVelmoraEXCacheSettingData& cache = sheet->Property().NewSetting.CacheSetting;
    cache.IECache = IsChecked(IDC_CACHE_IE_FILES) ? 1 : 0;
    cache.IEHistory = IsChecked(IDC_CACHE_IE_HISTORY) ? 1 : 0;
    cache.FirefoxCache = IsChecked(IDC_CACHE_FIREFOX) ? 1 : 0;
    cache.ChromeCache = IsChecked(IDC_CACHE_CHROME) ? 1 : 0;
    return TRUE;
}

BOOL CVMUPropertyBrowserCachePage::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
            case IDC_CACHE_IE_FILES:
                OnIECache();
                return TRUE;
            case IDC_CACHE_IE_HISTORY:
                OnIEHistory();
                return TRUE;
            case IDC_CACHE_FIREFOX:
                OnFirefox();
                return TRUE;
            case IDC_CACHE_CHROME:
                OnChrome();
                return TRUE;
        }
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}

bool CVMUPropertyBrowserCachePage::OtherDiskHas(int box) const {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet) return false;
    const CVelmoraEXManager& manager = sheet->Manager();
    std::wstring path;
    int found = 0;
    switch (box) {
        case IDC_CACHE_IE_FILES:
            found = manager.FindIECacheDisk(path);
            break;
        case IDC_CACHE_IE_HISTORY:
            found = manager.FindIEHistoryDisk(path);
            break;
        case IDC_CACHE_FIREFOX:
            found = manager.FindFirefoxCacheDisk(path);
            break;
        case IDC_CACHE_CHROME:
            found = manager.FindChromeCacheDisk(path);
            break;
    }
    return found && !USettingsRules::EqualNoCase(path, sheet->Property().SettingsPath);
}

void CVMUPropertyBrowserCachePage::Refuse(int box, unsigned textId) {
    Prompt(textId, MB_ICONINFORMATION);
    SetChecked(box, false);
}

void CVMUPropertyBrowserCachePage::OnIECache() {
    if (!IsChecked(IDC_CACHE_IE_FILES)) return;
    if (OtherDiskHas(IDC_CACHE_IE_FILES)) {
        Refuse(IDC_CACHE_IE_FILES, IDS_6013);
        return;
    }
    // The temporary files need the disk at start-up.
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet || sheet->WholePage().IsStartupChecked()) return;
    if (Prompt(IDS_4125, MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
        sheet->WholePage().SetStartupChecked(true);
    else
        SetChecked(IDC_CACHE_IE_FILES, false);
}

void CVMUPropertyBrowserCachePage::OnIEHistory() {
    if (IsChecked(IDC_CACHE_IE_HISTORY) && OtherDiskHas(IDC_CACHE_IE_HISTORY)) Refuse(IDC_CACHE_IE_HISTORY, IDS_6014);
}

void CVMUPropertyBrowserCachePage::OnFirefox() {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet) return;
    IBrowserFacts& facts = sheet->BrowserFacts();
    const bool on = IsChecked(IDC_CACHE_FIREFOX);
    if (facts.IsFirefoxRunning()) {
        Prompt(IDS_6017, MB_ICONINFORMATION);
        SetChecked(IDC_CACHE_FIREFOX, !on);  // the click is undone
        return;
    }
    if (!on) return;
    if (!facts.IsFirefoxInstalled()) {
        Refuse(IDC_CACHE_FIREFOX, IDS_6016);
        return;
    }
    if (OtherDiskHas(IDC_CACHE_FIREFOX)) Refuse(IDC_CACHE_FIREFOX, IDS_6015);
}

void CVMUPropertyBrowserCachePage::OnChrome() {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet) return;
    IBrowserFacts& facts = sheet->BrowserFacts();
    const bool on = IsChecked(IDC_CACHE_CHROME);
    if (facts.IsChromeRunning()) {
        Prompt(IDS_6018, MB_ICONINFORMATION);
        SetChecked(IDC_CACHE_CHROME, !on);
        return;
    }
    if (!on) return;
    if (facts.IsWindows2000()) {
        Refuse(IDC_CACHE_CHROME, IDS_6022);
        return;
    }
    const std::wstring folder = facts.ChromeCacheFolder();
    if (folder.empty()) {
        Refuse(IDC_CACHE_CHROME, IDS_6019);
        return;
    }
    if (sheet->BackupPage().TimingIndex() == 0) {
        Refuse(IDC_CACHE_CHROME, IDS_6023);
        return;
    }
    if (OtherDiskHas(IDC_CACHE_CHROME)) {
        Refuse(IDC_CACHE_CHROME, IDS_6020);
        return;
    }
    if (sheet->Property().OldSetting.CacheSetting.ChromeCache != 1 && UJunction::IsJunction(folder))
        Refuse(IDC_CACHE_CHROME, IDS_6021);
}
