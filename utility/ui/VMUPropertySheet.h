#pragma once
// The settings sheet of one RAM disk, for a new disk or an existing one. Its pages edit a working
// copy of the disk; OK turns their edits into a CVelmoraEXPropertyData and hands it to the
// sequencer, which carries the change out after the sheet has closed. Cancel changes nothing.
#include <windows.h>

#include <memory>
#include <string>

#include "framework/PropertySheet.h"
#include "utility/core/VelmoraEXData.h"
#include "utility/core/VelmoraEXPropertyData.h"
#include "utility/ui/BrowserFacts.h"
#include "utility/ui/VMUPropertyBackupPage.h"
#include "utility/ui/VMUPropertyBrowserCachePage.h"
#include "utility/ui/VMUPropertyVlinkPage.h"
#include "utility/ui/VMUPropertyWholePage.h"

class CDiskSequencer;
class CVelmoraEXManager;
class ITrayPrompt;
class IVlinkCommands;

class CVMUPropertySheet : public CPropertySheet {
public:
    // A new disk: caption 5101, a fresh disk from the manager.
    CVMUPropertySheet(CVelmoraEXManager& manager, CDiskSequencer& sequencer, ITrayPrompt& prompt, CWnd* parent);
    // The disk of settingsPath as the manager holds it, with its pending settings when it has any.
    CVMUPropertySheet(CVelmoraEXManager& manager, CDiskSequencer& sequencer, ITrayPrompt& prompt,
                      const std::wstring& settingsPath, const std::wstring& caption, CWnd* parent);
    ~CVMUPropertySheet() override;

    // False when the manager does not know the disk the sheet was made for.
    bool HasDisk() const { return m_hasDisk; }
    bool IsNewDisk() const { return m_property.IsNew == 1; }

    // What the pages show and edit, and what they write on apply.
    CVelmoraEXData& WorkingCopy() { return m_disk; }
    const CVelmoraEXData& WorkingCopy() const { return m_disk; }
    CVelmoraEXPropertyData& Property() { return m_property; }
    const CVelmoraEXPropertyData& Property() const { return m_property; }
    CVelmoraEXManager& Manager() const { return m_manager; }

    // The caption of the sheet, which the pages' message boxes carry too.
    const std::wstring& Title() const { return m_title; }
    // A message box of the sheet or one of its pages; returns the button.
    int Prompt(const std::wstring& text, UINT style) const;

    // True once OK was accepted: the pages' second apply, from the sheet's own closing, passes.
    bool IsClosing() const { return m_closing; }
    // Whether OK started a settings change.
    bool ChangeStarted() const { return m_changeStarted; }

    CVMUPropertyWholePage& WholePage() { return m_wholePage; }
    CVMUPropertyBackupPage& BackupPage() { return m_backupPage; }
    CVMUPropertyBrowserCachePage& BrowserCachePage() { return m_browserCachePage; }
    // Present for an existing disk only.
    CVMUPropertyVlinkPage& VlinkPage() { return m_vlinkPage; }

    // What the other pages have chosen, for each page's checks: the Chrome cache and the Internet
    // Explorer temporary files on (the browser-cache page's boxes once it exists), and virtual
    // links on an existing disk.
    bool ChromeCacheChosen() const;
    bool IECacheChosen() const;
    void SwitchIECacheOff();
    bool HasVirtualLinks() const;

    // What the browser-cache page asks of the system; tests put their own facts in.
    IBrowserFacts& BrowserFacts();
    void SetBrowserFacts(IBrowserFacts* facts) { m_facts = facts; }
    // The link commands of the virtual-link page through the tools program, their messages owned
    // by `owner`; tests put their own commands in.
    IVlinkCommands& LinkCommands(HWND owner);
    void SetLinkCommands(IVlinkCommands* commands) { m_linkCommands = commands; }
    ITrayPrompt& TrayPrompt() const { return m_prompt; }

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Setup();
    void ApplyPendingSettings(const std::wstring& settingsPath);
    // OK up to handing on the change: false when a page refused and the sheet stays open.
    bool AcceptOk();
    void ActivateEveryPage();

    CVelmoraEXManager& m_manager;
    CDiskSequencer& m_sequencer;
    ITrayPrompt& m_prompt;
    std::wstring m_title;
    CVelmoraEXData m_disk;
    CVelmoraEXPropertyData m_property;
    CVMUPropertyWholePage m_wholePage;
    CVMUPropertyBackupPage m_backupPage;
    CVMUPropertyBrowserCachePage m_browserCachePage;
    CVMUPropertyVlinkPage m_vlinkPage;
    std::unique_ptr<IBrowserFacts> m_systemFacts;
    IBrowserFacts* m_facts = nullptr;
    std::unique_ptr<IVlinkCommands> m_toolLinkCommands;
    IVlinkCommands* m_linkCommands = nullptr;
    bool m_hasDisk = true;
    bool m_closing = false;
    bool m_changeStarted = false;
};
