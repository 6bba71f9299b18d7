#pragma once
// What the operation sequencer needs from the window that hosts it.
#include <windows.h>

#include <string>

class CVMUThreadTaskHeader;
class CVelmoraEXData;
class IVlinkCommands;

// Balloon icon kinds.
enum : int {
    BALLOON_INFO = NIIF_INFO,
    BALLOON_ERROR = NIIF_ERROR,
};

class ISequencerHost {
public:
    virtual ~ISequencerHost() = default;

    // Hands the task to the worker; ownership passes only on true.
    virtual bool PostToWorker(CVMUThreadTaskHeader* task) = 0;
    // Modal message box owned by the host window; returns the button (IDOK, IDYES, ...).
    virtual int ShowMessageBox(const std::wstring& caption, const std::wstring& text, UINT style) = 0;
    // Balloon on the tray icon; does nothing when there is no icon.
    virtual void ShowBalloon(const std::wstring& text, const std::wstring& title, int iconKind) = 0;
    virtual bool HasTrayIcon() const = 0;
    // Whether notices may be shown as balloons (tray icon and balloon options both on).
    virtual bool BalloonsAllowed() const = 0;

    // The status sheet: whether it is open, refreshing one disk's row, adding a row (false when
    // the list refuses it; true when the sheet is closed) and removing one.
    virtual bool IsStatusSheetOpen() const = 0;
    virtual void RefreshDiskRow(const std::wstring& settingsPath) = 0;
    virtual bool AddDiskRow(const CVelmoraEXData& disk) = 0;
    virtual void RemoveDiskRow(const std::wstring& settingsPath) = 0;

    virtual void RestartWindows() = 0;

    // The link commands of the virtual-link tasks, run on the worker thread with their messages
    // owned by the host window; lives as long as the host.
    virtual IVlinkCommands& LinkCommands() = 0;
};
