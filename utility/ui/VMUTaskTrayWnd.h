#pragma once
// The utility's hidden main window, titled "VelmoraEX": owns the tray icon, runs the worker
// thread and hands it the tasks of the operation sequencer, polls the driver status for the
// windows that listen, and holds back a shutdown while disks are to be saved.
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "framework/Wnd.h"
#include "utility/ui/SequencerHost.h"
#include "utility/ui/TaskTray.h"
#include "utility/ui/TrayPrompt.h"
#include "utility/ui/TrayVlinkCommands.h"

class CDiskSequencer;
class CVelmoraEXManager;
class CVMUThread;
class CVMUThreadTaskGetStatusEX;

// Window messages of the tray window.
const UINT WM_TRAY_CALLBACK = WM_APP + 1;   // tray icon; lParam is the mouse message
const UINT WM_TRAY_TASK_DONE = WM_APP + 2;  // a worker task has finished; wParam is the task
// Listener id -> where status figures go.
struct StatusListener {
    HWND window;
    UINT message;
    UINT intervalMs;
    // The first status poll whose figures it gets: one posted after it was added, so that it
    // never sees figures taken before it started listening.
    uint32_t firstPoll = 0;
};

class CVMUTaskTrayWnd : public CWnd, public ISequencerHost {
public:
    static const UINT_PTR kPollTimerId = 1;
    // Window property that carries StatusRequests, so that other processes can tell that a
    // status request arrived.
    static const wchar_t kStatusRequestsProperty[];

    explicit CVMUTaskTrayWnd(CVelmoraEXManager& manager);
    ~CVMUTaskTrayWnd() override;

    // Creates the hidden window at (-300, -300), hides it and gives it icon 128.
    BOOL Create();

    // Message boxes and balloons go through prompt (not owned); null restores the real one.
    void SetPrompt(ITrayPrompt* prompt);
    ITrayPrompt& Prompt() { return *m_prompt; }

    // The tray's click and the status command do nothing before this is set.
    void SetStartupComplete(bool complete) { m_startupComplete = complete; }
    bool IsStartupComplete() const { return m_startupComplete; }

    // Listener ids: the smallest non-negative id not in use.
    int32_t AddStatusListener(HWND window, UINT message, UINT intervalMs);
    void RemoveStatusListener(int32_t id);
    const std::map<int32_t, StatusListener>& Listeners() const { return m_listeners; }
    bool IsPolling() const { return m_pollTimer != 0; }

    void ShowTrayIcon(bool show);
    void ShowBalloon(const std::wstring& text, const std::wstring& title, int iconKind, UINT timeoutMs);
    CTaskTray& Tray() { return m_tray; }

    CDiskSequencer& Sequencer() { return *m_sequencer; }
    CVMUThread* Worker() const { return m_worker.get(); }
    CVelmoraEXManager& Manager() { return m_manager; }

    // "TaskbarCreated", registered once.
    static UINT TaskbarCreatedMessage();

    // ISequencerHost
    bool PostToWorker(CVMUThreadTaskHeader* task) override;
    int ShowMessageBox(const std::wstring& caption, const std::wstring& text, UINT style) override;
    void ShowBalloon(const std::wstring& text, const std::wstring& title, int iconKind) override;
    bool HasTrayIcon() const override;
    bool BalloonsAllowed() const override;
    bool IsStatusSheetOpen() const override;
    void RefreshDiskRow(const std::wstring& settingsPath) override;
    bool AddDiskRow(const CVelmoraEXData& disk) override;
    void RemoveDiskRow(const std::wstring& settingsPath) override;
    void RestartWindows() override;
    IVlinkCommands& LinkCommands() override { return m_linkCommands; }

    // How many times the status sheet was asked for since creation.
    int StatusRequests() const { return m_statusRequests; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(LPCREATESTRUCTW createStruct) override;
    void OnDestroy() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;

    // Opens the status sheet modally, or brings the open one to the front. Each request is
    // counted (StatusRequests and the window property kStatusRequestsProperty).
    virtual void OpenStatusSheet();
    // The save dialog run at shutdown; its end code.
    virtual INT_PTR RunSaveDialog();
    // WM_QUERYENDSESSION; TRUE lets the session end.
    BOOL OnQueryEndSession(LPARAM lParam);
    // WM_CLOSE: the status sheet and the sheet opened from it end first.
    void OnClose() override;

private:
    // Tray icon whose menu shows only the status item.
    class CTrayIcon : public CTaskTray {
    public:
        void CustomizeMenu(HMENU menu) override;
    };

    void OnTrayCallback(LPARAM mouseMessage);
    LRESULT OnTaskDone(CVMUThreadTaskHeader* task);
    void OnStatusDone(const CVMUThreadTaskGetStatusEX& task);
    void ArmPollTimer();
    void StatusCommand();

    CTrayIcon m_tray;
    std::unique_ptr<CVMUThread> m_worker;
    uint32_t m_pollsPosted = 0;
    std::map<const CVMUThreadTaskHeader*, uint32_t> m_pollsInFlight;  // status task -> its poll number
    UINT_PTR m_pollTimer = 0;
    std::map<int32_t, StatusListener> m_listeners;
    CVelmoraEXManager& m_manager;
    std::unique_ptr<CDiskSequencer> m_sequencer;
    CTrayPrompt m_realPrompt;
    ITrayPrompt* m_prompt;
    CTrayVlinkCommands m_linkCommands{*this};
    bool m_startupComplete = false;
    int m_statusRequests = 0;
};
