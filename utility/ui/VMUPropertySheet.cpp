#include "utility/ui/VMUPropertySheet.h"

#include "utility/core/MessageText.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/core/VlinkCommands.h"
#include "utility/disk/OSVersion.h"
#include "utility/tools_channel/ToolLinkCommands.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/ui/TrayToolCmdPrompt.h"
#include "utility/ui/TrayPrompt.h"
#include "utility/ui/resource.h"

namespace {

// Posted to the sheet once it exists: its pages are made and shown one after the other.
const UINT WM_ACTIVATE_PAGES = WM_APP + 0x201;

std::wstring NewDiskCaption() { return UMessageText::Load(IDS_5101); }

}  // namespace

CVMUPropertySheet::CVMUPropertySheet(CVelmoraEXManager& manager, CDiskSequencer& sequencer, ITrayPrompt& prompt,
                                     CWnd* parent)
    : CPropertySheet(NewDiskCaption().c_str(), parent),
      m_manager(manager),
      m_sequencer(sequencer),
      m_prompt(prompt),
      m_title(NewDiskCaption()) {
    m_manager.InitNewDisk(m_disk);
    m_property.IsNew = 1;
    m_property.NeedsRemount = 1;
    m_property.SettingsPath = m_disk.Status.SettingsPath;
    Setup();
}

CVMUPropertySheet::CVMUPropertySheet(CVelmoraEXManager& manager, CDiskSequencer& sequencer, ITrayPrompt& prompt,
                                     const std::wstring& settingsPath, const std::wstring& caption, CWnd* parent)
    : CPropertySheet(caption.c_str(), parent),
      m_manager(manager),
      m_sequencer(sequencer),
      m_prompt(prompt),
      m_title(caption) {
    m_hasDisk = m_manager.FindDisk(settingsPath, m_disk) != 0;
    if (m_hasDisk) ApplyPendingSettings(m_disk.Status.SettingsPath);
    m_property.OldSetting = m_disk.Setting;
    m_property.SettingsPath = m_hasDisk ? m_disk.Status.SettingsPath : settingsPath;
    m_property.IsNew = 0;
    Setup();
}

CVMUPropertySheet::~CVMUPropertySheet() = default;

void CVMUPropertySheet::Setup() {
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~static_cast<DWORD>(PSH_HASHELP);
    AddPage(&m_wholePage);
    AddPage(&m_backupPage);
    AddPage(&m_browserCachePage);
    COSVersion version;
    version.Read();
    const bool windows2000 = version.m_version.dwMajorVersion == 5 && version.m_version.dwMinorVersion == 0;
    if (!IsNewDisk() && !windows2000) {
        AddPage(&m_vlinkPage);
    }
}

bool CVMUPropertySheet::ChromeCacheChosen() const {
    if (m_browserCachePage.m_hWnd) return m_browserCachePage.IsChromeChecked();
    return m_disk.Setting.CacheSetting.ChromeCache == 1;
}

bool CVMUPropertySheet::IECacheChosen() const {
    if (m_browserCachePage.m_hWnd) return m_browserCachePage.IsIECacheChecked();
    return m_disk.Setting.CacheSetting.IECache == 1;
}

void CVMUPropertySheet::SwitchIECacheOff() {
    m_disk.Setting.CacheSetting.IECache = 0;
    m_browserCachePage.UncheckIECache();
}

IBrowserFacts& CVMUPropertySheet::BrowserFacts() {
    if (m_facts) return *m_facts;
    if (!m_systemFacts) m_systemFacts = CreateSystemBrowserFacts();
    return *m_systemFacts;
}

// The virtual-link page's rows once it exists, else the disk's links.
bool CVMUPropertySheet::HasVirtualLinks() const {
    if (IsNewDisk()) return false;
    if (m_vlinkPage.m_hWnd) return m_vlinkPage.RowCount() > 0;
    return !m_disk.Vlinks.empty() || !m_disk.PendingVlinks.empty();
}

namespace {
// The link commands through the tools program, with the messages owned by the page.
class CSheetLinkCommands : public IVlinkCommands {
public:
    explicit CSheetLinkCommands(ITrayPrompt& prompt) : m_prompt(prompt) {}
    int CreateLink(wchar_t drive, const CVelmoraEXVlinkData& link) override {
        CTrayToolCmdPrompt prompt(m_prompt);
        return CToolLinkCommands(prompt).CreateLink(owner, drive, link);
    }
    int RemoveLink(wchar_t drive, const CVelmoraEXVlinkData& link) override {
        CTrayToolCmdPrompt prompt(m_prompt);
        return CToolLinkCommands(prompt).RemoveLink(owner, drive, link);
    }
    int Relink(wchar_t drive, const CVelmoraEXVlinkData& link) override {
        CTrayToolCmdPrompt prompt(m_prompt);
        return CToolLinkCommands(prompt).Relink(owner, drive, link);
    }
    HWND owner = nullptr;

private:
    ITrayPrompt& m_prompt;
};
}  // namespace

IVlinkCommands& CVMUPropertySheet::LinkCommands(HWND owner) {
    if (m_linkCommands) return *m_linkCommands;
    if (!m_toolLinkCommands) m_toolLinkCommands = std::make_unique<CSheetLinkCommands>(m_prompt);
    static_cast<CSheetLinkCommands&>(*m_toolLinkCommands).owner = owner;
    return *m_toolLinkCommands;
}

// A change that needed the disk re-created is waiting in the ".bak" file for the next enable;
// the sheet edits from there. A file without a size or a letter is of no use and goes.
void CVMUPropertySheet::ApplyPendingSettings(const std::wstring& settingsPath) {
    const std::wstring pendingPath = USettingsPaths::GetPendingSettingsPath(settingsPath);
    const DWORD attributes = GetFileAttributesW(pendingPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    CVelmoraEXSettingData pending;
    USettingsFile::ReadRamDisk(pendingPath, pending);
    if (pending.DriveSize == 0 || pending.DriveLetter == 0) {
        DeleteFileW(pendingPath.c_str());
        return;
    }
    // The start-up choice lives in the registry, not in the file.
    pending.LoadAtStartup = m_disk.Setting.LoadAtStartup;
    m_disk.Setting = pending;
}

int CVMUPropertySheet::Prompt(const std::wstring& text, UINT style) const {
    return m_prompt.MessageBox(m_hWnd, m_title, text, style);
}

BOOL CVMUPropertySheet::OnInitDialog() {
    // The sheet's buttons in the language of the pages, whatever the system's is.
    ::SetDlgItemTextW(m_hWnd, IDCANCEL, UMessageText::Load(IDS_7004).c_str());
    // The pages do not exist yet while the sheet initialises.
    PostMessage(WM_ACTIVATE_PAGES);
    return TRUE;
}

// Every page is made once, so that each takes part in the apply: the second to the last, then
// the first.
void CVMUPropertySheet::ActivateEveryPage() {
    for (int i = 1; i < GetPageCount(); ++i) SetActivePage(i);
    SetActivePage(0);
    FitPagesToTemplates();
}

bool CVMUPropertySheet::AcceptOk() {
    m_property.NewSetting = CVelmoraEXSettingData();
    if (!SendMessage(PSM_APPLY, 0, 0)) return false;
    m_property.FromSheet = 1;
    if (!IsNewDisk()) m_property.ComputeChanges(m_disk.Status.Mode != MODE_NOT_MOUNTED ? 1 : 0);
    if (IsNewDisk() || m_property.ChangeFlags != 0) {
        m_sequencer.BeginSettingsChange(m_property);
        m_changeStarted = true;
    }
    return true;
}

LRESULT CVMUPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE_PAGES) {
        ActivateEveryPage();
        return 0;
    }
    // OK from its button or the keyboard, or pressed by a message: the sheet's own sequence
    // first; once accepted the sheet closes the usual way.
    const bool ok = (message == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) <= 1) ||
                    (message == PSM_PRESSBUTTON && wParam == PSBTN_OK);
    if (ok && !m_closing && m_hWnd) {
        if (!AcceptOk()) return 0;
        m_closing = true;
    }
    return CPropertySheet::WindowProc(message, wParam, lParam);
}
