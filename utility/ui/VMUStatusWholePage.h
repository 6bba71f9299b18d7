#pragma once
// The status sheet's general page: the RAM-disk list with the buttons that create, delete,
// enable, disable and edit disks, where the browser caches live, and the memory figures.
// It only displays and starts things: every disk operation goes to the tray window's sequencer.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/PropertyPage.h"
#include "utility/ui/VelmoraDiskListCtrl.h"

class CPropertySheet;
class CVMUTaskTrayWnd;
class CVelmoraEXData;
class IPropertySheetFactory;
class ITrayPrompt;

// Refresh codes of a disk's row.
enum : int {
    REFRESH_DISABLED = 0,
    REFRESH_ENABLED = 1,
    REFRESH_CURRENT = 2,
    REFRESH_RELOAD = 3,  // reload every disk's status from the driver, then as REFRESH_CURRENT
};

class CVMUStatusWholePage : public CPropertyPage {
public:
    static const UINT_PTR kTimerId = 1;
    static const UINT kTimerMs = 1000;
    // Status figures from the tray window's poll: wParam const RamDiskStatus*, lParam the
    // disk's settings path.
    static const UINT kStatusMessage = WM_APP + 1;

    CVMUStatusWholePage(CVMUTaskTrayWnd& tray, IPropertySheetFactory& factory, ITrayPrompt& prompt);
    ~CVMUStatusWholePage() override;

    // Redraws the row of path (refresh code above), then the buttons and texts. Ignored while
    // the list does not exist.
    void Refresh(int code, const std::wstring& path);
    // Appends a row for disk; false when the list refuses it (true while there is no list).
    bool AddDiskRow(const CVelmoraEXData& disk);
    void RemoveDiskRow(const std::wstring& path);
    // Ends the settings sheet opened from this page, if any, with IDCANCEL; closeSheetAfter
    // then also cancels the status sheet, once the settings sheet has gone.
    void CloseOpenSheet(bool closeSheetAfter = false);

    CVelmoraDiskListCtrl& List() { return m_list; }
    CPropertySheet* OpenSheet() const { return m_openSheet; }
    int32_t ListenerId() const { return m_listenerId; }
    bool IsTimerRunning() const { return m_timer != 0; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    void OnDestroy() override;
    void OnTimer(UINT_PTR id) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Drive parts ("C:") of the browser caches; empty when not found.
    virtual std::wstring InternetExplorerLocation() const;
    // The drive of the default Firefox profile's cache folder, and of Chrome's cache folder or the
    // folder its junction points at; empty when there is none (shown as 6026).
    virtual std::wstring FirefoxLocation() const;
    virtual std::wstring ChromeLocation() const;
    // The browsing-data deletion dialog (its button is IDC_STATUS_IE_DELETE), modal above the sheet.
    virtual void RunBrowsingDataDeletion();

    // Buttons.
    void OnNew();
    void OnDelete();
    void OnEnable();
    void OnDisable();
    void OnProperties();
    void OnOptions();

    void UpdateButtons();
    void UpdateMemory();
    void UpdateLocations();
    // Listens to the tray window's status poll while a WriteBack disk is mounted.
    void UpdateListener();
    void RemoveListener();
    void StopTimer();
    void OnStatus(const void* status, const wchar_t* path);
    // Runs a settings sheet modally; settingsPath empty for a new disk.
    void RunPropertySheet(const std::wstring& settingsPath, const std::wstring& caption);
    // The sheet window holding this page, as owner of what it opens.
    CWnd* SheetWnd() const;

    CVMUTaskTrayWnd& m_tray;
    IPropertySheetFactory& m_factory;
    ITrayPrompt& m_prompt;
    CVelmoraDiskListCtrl m_list;
    UINT_PTR m_timer = 0;
    CPropertySheet* m_openSheet = nullptr;
    int32_t m_listenerId = -1;
    bool m_closeSheetAfter = false;
};
