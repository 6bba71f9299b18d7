#include "utility/ui/TaskTray.h"

#include <shlwapi.h>

#include <map>

#include "framework/Library.h"

namespace {

// Timer id -> the icon whose add is retried.
std::map<UINT_PTR, CTaskTray*>& RetryMap() {
    static std::map<UINT_PTR, CTaskTray*> map;
    return map;
}

bool IsVistaOrLater() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    if (!GetVersionExW(&info)) return false;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 5;
}

}  // namespace

CTaskTray::CTaskTray() : m_instance(GetModuleHandleW(nullptr)), m_data(), m_retryData() {
    m_shellVersion = ReadShellVersion();
    m_vistaOrLater = IsVistaOrLater();
    m_data.cbSize = DataSizeFor(m_shellVersion, m_vistaOrLater);
}

CTaskTray::~CTaskTray() {
    HideBalloon();
    StopRetry();
    Delete();
    if (m_icon) DestroyIcon(m_icon);
}

uint64_t CTaskTray::ReadShellVersion() {
    uint64_t version = 0;
    const CLibrary shell(L"Shell32.dll");
    if (!shell) return 0;
    if (auto getVersion = shell.Proc<DLLGETVERSIONPROC>("DllGetVersion")) {
        DLLVERSIONINFO info = {};
        info.cbSize = sizeof(info);
        if (SUCCEEDED(getVersion(&info))) version = MakeVersion(info.dwMajorVersion, info.dwMinorVersion);
    }
    return version;
}

DWORD CTaskTray::DataSizeFor(uint64_t shellVersion, bool vistaOrLater) {
    if (shellVersion < MakeVersion(5, 0)) return NOTIFYICONDATAW_V1_SIZE;
    if (shellVersion < MakeVersion(6, 0)) return NOTIFYICONDATAW_V2_SIZE;
    return vistaOrLater ? sizeof(NOTIFYICONDATAW) : NOTIFYICONDATAW_V3_SIZE;
}

BOOL CTaskTray::Notify(DWORD message, NOTIFYICONDATAW* data) { return Shell_NotifyIconW(message, data); }

void CTaskTray::CopyText(wchar_t* target, size_t capacity, const std::wstring& text) {
    size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    text.copy(target, n);
    target[n] = L'\0';
}

BOOL CTaskTray::Add(HWND window, UINT id, UINT callbackMessage, UINT iconId, const std::wstring& tip) {
    m_data.hWnd = window;
    m_data.uID = id;
    m_data.uCallbackMessage = callbackMessage;
    HICON icon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    if (m_icon) DestroyIcon(m_icon);
    m_icon = icon;
    m_data.hIcon = icon;
    size_t tipCapacity = m_shellVersion < MakeVersion(5, 0) ? 64 : 128;
    CopyText(m_data.szTip, tipCapacity, tip);
    m_data.uFlags = NIF_MESSAGE | NIF_TIP | (icon ? NIF_ICON : 0);

    SetLastError(0);
    if (Notify(NIM_ADD, &m_data)) {
        m_added = true;
        SetVersion();
        return TRUE;
    }
    if (GetLastError() == ERROR_TIMEOUT) {
        // The shell is busy (still starting, say): keep the data and try again every second.
        StopRetry();
        m_retryData = m_data;
        m_retryTimer = SetTimer(nullptr, 0, 1000, RetryTimerProc);
        if (m_retryTimer) RetryMap()[m_retryTimer] = this;
    }
    return FALSE;
}

void CALLBACK CTaskTray::RetryTimerProc(HWND, UINT, UINT_PTR timerId, DWORD) {
    auto found = RetryMap().find(timerId);
    if (found == RetryMap().end()) {
        KillTimer(nullptr, timerId);
        return;
    }
    found->second->RetryAdd();
}

void CTaskTray::RetryAdd() {
    SetLastError(0);
    if (Notify(NIM_ADD, &m_retryData)) {
        m_added = true;
        SetVersion();
    } else if (GetLastError() == ERROR_TIMEOUT) {
        return;
    }
    StopRetry();
}

void CTaskTray::StopRetry() {
    if (!m_retryTimer) return;
    RetryMap().erase(m_retryTimer);
    KillTimer(nullptr, m_retryTimer);
    m_retryTimer = 0;
    m_retryData = NOTIFYICONDATAW();
}

void CTaskTray::SetVersion() {
    // The version left in the data (0) keeps the plain mouse message in the callback's lParam.
    if (m_shellVersion >= MakeVersion(5, 0)) Notify(NIM_SETVERSION, &m_data);
}

BOOL CTaskTray::Delete() {
    StopRetry();
    if (!m_added) return FALSE;
    m_added = false;
    NOTIFYICONDATAW data = m_data;
    data.uFlags = 0;
    return Notify(NIM_DELETE, &data);
}

BOOL CTaskTray::ShowBalloon(const std::wstring& text, const std::wstring& title, DWORD iconKind, UINT timeoutMs) {
    if (m_shellVersion < MakeVersion(5, 0) || !m_added) return FALSE;
    m_data.uFlags = NIF_INFO;
    m_data.dwInfoFlags = iconKind;
    m_data.uTimeout = timeoutMs;
    CopyText(m_data.szInfo, 256, text);
    CopyText(m_data.szInfoTitle, 64, title);
    return Notify(NIM_MODIFY, &m_data);
}

BOOL CTaskTray::HideBalloon() { return ShowBalloon(L"", L"", 0, 0); }

void CTaskTray::ForceForeground(HWND hwnd) {
    if (!IsWindow(hwnd)) return;
    DWORD target = GetWindowThreadProcessId(hwnd, nullptr);
    HWND foreground = GetForegroundWindow();
    DWORD current = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    bool attached = current && current != target && AttachThreadInput(target, current, TRUE);
    DWORD saved = 0;
    SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &saved, 0);
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    SetForegroundWindow(hwnd);
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<PVOID>(static_cast<ULONG_PTR>(saved)), 0);
    if (attached) AttachThreadInput(target, current, FALSE);
}

BOOL CTaskTray::ShowPopupMenu(UINT menuId, int subMenu, UINT defaultItem, BOOL byPosition, HWND owner) {
    if (!IsWindow(owner)) owner = m_data.hWnd;
    HMENU menu = LoadMenuW(m_instance, MAKEINTRESOURCEW(menuId));
    if (!menu) return FALSE;
    HMENU popup = GetSubMenu(menu, subMenu);
    if (!popup) {
        DestroyMenu(menu);
        return FALSE;
    }
    SetMenuDefaultItem(popup, defaultItem, byPosition);
    CustomizeMenu(popup);
    POINT cursor = {};
    GetCursorPos(&cursor);
    ForceForeground(owner);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return TRUE;
}
