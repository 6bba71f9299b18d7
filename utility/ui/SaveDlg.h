#pragma once
// The save progress dialog of a shutdown: asks the driver to write every disk to save into its
// backup image now, follows the unsaved amount through the tray window's status poll, and ends
// with IDOK when nothing is left (IDCANCEL when there was nothing to save). It stays hidden
// unless more than 9 MB remain, so small saves finish without a window.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "utility/disk/RamDiskStatus.h"
#include "utility/ui/TransparentBitmapStatic.h"

class CVMUTaskTrayWnd;
class ITrayPrompt;

class CSaveDlg : public CDialog {
public:
    // The status-listener message; wParam the disk's status record, lParam its settings path.
    static const UINT kStatusMessage = WM_APP + 1;
    static const UINT kStatusIntervalMs = 1000;
    static const UINT_PTR kForegroundTimerId = 1;
    static const UINT kForegroundIntervalMs = 100;
    // How long a listed disk may go without a status record before the dialog counts the
    // driver as unreachable.
    static const DWORD kDefaultStallMs = 10000;

    // prompt shows the cancellation notice. No owner.
    CSaveDlg(CVMUTaskTrayWnd& tray, ITrayPrompt& prompt);
    ~CSaveDlg() override;

    // Modal, without the dialog manager's showing of the window.
    INT_PTR DoModal() override;

    void SetStallTimeout(DWORD ms) { m_stallMs = ms; }

    // The disks waited for, the progress maximum in MB, and the MB still unsaved.
    const std::vector<std::wstring>& Disks() const { return m_disks; }
    int32_t Maximum() const { return m_maximum; }
    int32_t Remaining() const { return m_remaining; }
    bool IsStalled() const { return m_stalled; }

    // Bytes to whole MB, 1 for any amount below 1 MiB, capped at the largest 32-bit value.
    static int32_t ToMegabytes(uint64_t bytes);

protected:
    BOOL OnInitDialog() override;
    // Enter, Escape and the close command do not end the save.
    void OnOK() override {}
    void OnCancel() override {}
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Windows 8 or later (6.2 and above); tests replace it.
    virtual bool IsWindows8OrLater() const;

private:
    struct PathLess {
        bool operator()(const std::wstring& a, const std::wstring& b) const;
    };

    void OnStatus(const RamDiskStatus& status, const std::wstring& path);
    void UpdateProgress();
    // Ends the loop: after a cancelled session end on Windows 8 or later the notice comes first.
    void Finish(int result);
    bool IsListed(const std::wstring& path) const;
    void CheckStall();
    // Sync-begin (keeping the disks that took it) or sync-end for every listed disk.
    void SyncAll(bool begin);

    CVMUTaskTrayWnd& m_tray;
    ITrayPrompt& m_prompt;
    CTransparentBitmapStatic m_picture;
    UINT_PTR m_timer = 0;
    int32_t m_listenerId = -1;
    int32_t m_maximum = 0;
    int32_t m_remaining = 0;
    std::vector<std::wstring> m_disks;
    std::map<std::wstring, RamDiskStatus, PathLess> m_statuses;
    std::map<std::wstring, DWORD, PathLess> m_lastSeen;  // tick of each disk's last record
    DWORD m_stallMs = kDefaultStallMs;
    bool m_stalled = false;
    bool m_sessionCancelled = false;
    bool m_noticeShown = false;
    bool m_finishing = false;
};
