#include "utility/ui/VMUTaskTrayWnd.h"

#include "framework/Library.h"
#include "utility/core/MessageText.h"
#include "utility/core/VMUThread.h"
#include "utility/core/VMUThreadTaskGetStatusEX.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/ui/SaveDlg.h"
#include "utility/ui/VMUPropertySheetFactory.h"
#include "utility/ui/VMUStatusSheet.h"
#include "utility/ui/resource.h"

namespace {
const wchar_t kClassName[] = L"VelmoraEXTaskTrayWnd";
const wchar_t kWindowName[] = L"VelmoraEX";
}  // namespace

const wchar_t CVMUTaskTrayWnd::kStatusRequestsProperty[] = L"VelmoraEX.StatusRequests";

CVMUTaskTrayWnd::CVMUTaskTrayWnd(CVelmoraEXManager& manager)
    : m_manager(manager), m_sequencer(new CDiskSequencer(manager, *this)), m_prompt(&m_realPrompt) {
    TaskbarCreatedMessage();
}

CVMUTaskTrayWnd::~CVMUTaskTrayWnd() {
    if (m_hWnd) DestroyWindow();
    m_worker.reset();  // before the other members go
}

UINT CVMUTaskTrayWnd::TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

void CVMUTaskTrayWnd::SetPrompt(ITrayPrompt* prompt) { m_prompt = prompt ? prompt : &m_realPrompt; }

BOOL CVMUTaskTrayWnd::Create() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterWindowClass(kClassName, CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, instance)) return FALSE;
    if (!CreateEx(0, kClassName, kWindowName, 0, -300, -300, 0, 0, GetDesktopWindow())) return FALSE;
    ShowWindow(SW_HIDE);
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VELMORAEX));
    SetIcon(icon, TRUE);
    SetIcon(icon, FALSE);
    return TRUE;
}

int CVMUTaskTrayWnd::OnCreate(LPCREATESTRUCTW createStruct) {
    if (CWnd::OnCreate(createStruct) == -1) return -1;
    m_worker = CVMUThread::Start(m_hWnd);
    ShowTrayIcon(m_manager.GetOptions().TaskTray != 0);
    return 0;
}

void CVMUTaskTrayWnd::OnDestroy() {
    CWnd::OnDestroy();
    RemovePropW(m_hWnd, kStatusRequestsProperty);
    if (m_pollTimer) KillTimer(m_pollTimer);
    m_pollTimer = 0;
    m_pollsInFlight.clear();
    ShowTrayIcon(false);
    m_worker.reset();  // stops the thread
}

LRESULT CVMUTaskTrayWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TaskbarCreatedMessage() && message != 0) {
        // Explorer restarted: the icons it had are gone.
        if (m_manager.GetOptions().TaskTray) {
            m_tray.Delete();
            ShowTrayIcon(true);
        }
        return 0;
    }
    switch (message) {
        case WM_TRAY_CALLBACK:
            OnTrayCallback(lParam);
            return 0;
        case WM_TRAY_TASK_DONE:
            return OnTaskDone(reinterpret_cast<CVMUThreadTaskHeader*>(wParam));
        case WM_QUERYENDSESSION:
            return OnQueryEndSession(lParam);
        default:
            return CWnd::WindowProc(message, wParam, lParam);
    }
}

BOOL CVMUTaskTrayWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case ID_TRAY_STATUS:
            StatusCommand();
            return TRUE;
        case ID_TRAY_ENABLE:
        case ID_TRAY_DISABLE:
            return TRUE;
        default:
            return CWnd::OnCommand(wParam, lParam);
    }
}

void CVMUTaskTrayWnd::StatusCommand() {
    if (!m_startupComplete) return;
    CTaskTray::ForceForeground(m_hWnd);
    OpenStatusSheet();
}

void CVMUTaskTrayWnd::OpenStatusSheet() {
    ++m_statusRequests;
    SetPropW(m_hWnd, kStatusRequestsProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(m_statusRequests)));
    if (CVMUStatusSheet* open = CVMUStatusSheet::Current()) {
        open->BringToFront();
        return;
    }
    CVMUPropertySheetFactory factory(m_manager, *m_sequencer, *m_prompt);
    CVMUStatusSheet sheet(*this, factory, *m_prompt);
    sheet.DoModal();
}

void CVMUTaskTrayWnd::OnClose() {
    if (CVMUStatusSheet* open = CVMUStatusSheet::Current()) open->CloseFromTray();
    CWnd::OnClose();
}

bool CVMUTaskTrayWnd::IsStatusSheetOpen() const { return CVMUStatusSheet::Current() != nullptr; }

void CVMUTaskTrayWnd::RefreshDiskRow(const std::wstring& settingsPath) {
    // Redrawn as the disk now is: the sequencer has set its status already.
    if (CVMUStatusSheet* open = CVMUStatusSheet::Current()) open->Refresh(2, settingsPath);
}

bool CVMUTaskTrayWnd::AddDiskRow(const CVelmoraEXData& disk) {
    CVMUStatusSheet* open = CVMUStatusSheet::Current();
    return open ? open->AddDiskRow(disk) : true;
}

void CVMUTaskTrayWnd::RemoveDiskRow(const std::wstring& settingsPath) {
    if (CVMUStatusSheet* open = CVMUStatusSheet::Current()) open->RemoveDiskRow(settingsPath);
}

void CVMUTaskTrayWnd::OnTrayCallback(LPARAM mouseMessage) {
    if (!m_startupComplete) return;
    switch (static_cast<UINT>(mouseMessage)) {
        case WM_LBUTTONUP:
            StatusCommand();
            break;
        case WM_RBUTTONUP:
            m_tray.ShowPopupMenu(IDR_TRAYMENU, 0, ID_TRAY_STATUS, FALSE, m_hWnd);
            break;
        default:
            break;
    }
}

void CVMUTaskTrayWnd::CTrayIcon::CustomizeMenu(HMENU menu) {
    DeleteMenu(menu, ID_TRAY_ENABLE, MF_BYCOMMAND);
    DeleteMenu(menu, ID_TRAY_DISABLE, MF_BYCOMMAND);
    DeleteMenu(menu, 0, MF_BYPOSITION);
}

void CVMUTaskTrayWnd::ShowTrayIcon(bool show) {
    if (!show) {
        m_tray.Delete();
        return;
    }
    m_tray.SetInstance(GetModuleHandleW(nullptr));
    m_tray.Add(m_hWnd, 0, WM_TRAY_CALLBACK, IDI_VELMORAEX, UMessageText::Load(IDS_10002));
}

void CVMUTaskTrayWnd::ShowBalloon(const std::wstring& text, const std::wstring& title, int iconKind, UINT timeoutMs) {
    m_prompt->Balloon(m_tray, text, title, iconKind, timeoutMs);
}

void CVMUTaskTrayWnd::ShowBalloon(const std::wstring& text, const std::wstring& title, int iconKind) {
    ShowBalloon(text, title, iconKind, 1);
}

bool CVMUTaskTrayWnd::HasTrayIcon() const { return m_tray.IsAdded(); }

bool CVMUTaskTrayWnd::BalloonsAllowed() const {
    const CVelmoraEXOptionData& options = m_manager.GetOptions();
    return options.TaskTray != 0 && options.Indicator != 0;
}

int CVMUTaskTrayWnd::ShowMessageBox(const std::wstring& caption, const std::wstring& text, UINT style) {
    return m_prompt->MessageBox(m_hWnd, caption, text, style);
}

void CVMUTaskTrayWnd::RestartWindows() { m_manager.RestartWindows(); }

bool CVMUTaskTrayWnd::PostToWorker(CVMUThreadTaskHeader* task) { return m_worker && m_worker->PostTask(task); }

LRESULT CVMUTaskTrayWnd::OnTaskDone(CVMUThreadTaskHeader* task) {
    if (!task) return -1;
    if (task->Type == TASK_GET_STATUS) OnStatusDone(static_cast<const CVMUThreadTaskGetStatusEX&>(*task));
    if (!m_sequencer->OnTaskDone(task)) delete task;
    return 0;
}

// Status polling ---------------------------------------------------------------------------

int32_t CVMUTaskTrayWnd::AddStatusListener(HWND window, UINT message, UINT intervalMs) {
    int32_t id = 0;
    for (const auto& entry : m_listeners) {
        if (entry.first != id) break;
        ++id;
    }
    m_listeners[id] = StatusListener{window, message, intervalMs, m_pollsPosted + 1};
    if (m_listeners.size() == 1) ArmPollTimer();
    return id;
}

void CVMUTaskTrayWnd::RemoveStatusListener(int32_t id) { m_listeners.erase(id); }

void CVMUTaskTrayWnd::ArmPollTimer() {
    if (m_pollTimer || m_listeners.empty() || !m_hWnd) return;
    bool live = false;
    UINT interval = 0;
    for (const auto& entry : m_listeners) {
        if (!::IsWindow(entry.second.window)) continue;
        if (!live || entry.second.intervalMs < interval) interval = entry.second.intervalMs;
        live = true;
    }
    if (!live) return;
    m_pollTimer = SetTimer(kPollTimerId, interval);
}

void CVMUTaskTrayWnd::OnTimer(UINT_PTR id) {
    if (id != kPollTimerId) {
        CWnd::OnTimer(id);
        return;
    }
    KillTimer(kPollTimerId);
    m_pollTimer = 0;
    auto* task = new CVMUThreadTaskGetStatusEX();
    for (const CVelmoraEXData& disk : m_manager.Disks()) task->Replies[disk.Status.SettingsPath] = RamDiskStatus();
    // Dropped silently while another operation runs.
    if (m_sequencer->PostTask(task, L"", 0) == POST_DONE)
        m_pollsInFlight[task] = ++m_pollsPosted;
    else
        delete task;
    ArmPollTimer();
}

void CVMUTaskTrayWnd::OnStatusDone(const CVMUThreadTaskGetStatusEX& task) {
    // A status task the poll did not post reaches every listener.
    uint32_t poll = UINT32_MAX;
    auto inFlight = m_pollsInFlight.find(&task);
    if (inFlight != m_pollsInFlight.end()) {
        poll = inFlight->second;
        m_pollsInFlight.erase(inFlight);
    }
    if (task.Result != 0) return;
    for (const auto& reply : task.Replies) {
        if (reply.second.error != 0) continue;
        for (const auto& entry : m_listeners) {
            const StatusListener& listener = entry.second;
            if (!::IsWindow(listener.window) || listener.firstPoll > poll) continue;
            ::SendMessageW(listener.window, listener.message, reinterpret_cast<WPARAM>(&reply.second),
                           reinterpret_cast<LPARAM>(reply.first.c_str()));
        }
    }
}

// End of session ---------------------------------------------------------------------------

BOOL CVMUTaskTrayWnd::OnQueryEndSession(LPARAM lParam) {
    if (!DefWindowProc(WM_QUERYENDSESSION, 0, lParam)) return FALSE;
    if (lParam != 0) return TRUE;  // log-off and the like: nothing is saved on this path

    using BlockCreate = BOOL(WINAPI*)(HWND, LPCWSTR);
    using BlockDestroy = BOOL(WINAPI*)(HWND);
    const CLibrary user32(L"user32.dll");
    if (auto create = user32.Proc<BlockCreate>("ShutdownBlockReasonCreate"))
        create(m_hWnd, UMessageText::Load(IDS_3006).c_str());
    BOOL answer = TRUE;
    if (m_manager.HasDisksToSave()) answer = RunSaveDialog() == IDOK;
    if (auto destroy = user32.Proc<BlockDestroy>("ShutdownBlockReasonDestroy")) destroy(m_hWnd);
    return answer;
}

INT_PTR CVMUTaskTrayWnd::RunSaveDialog() {
    CSaveDlg dialog(*this, *m_prompt);
    return dialog.DoModal();
}
