#pragma once
// The notification-area icon of one window: add (retried every second while the shell answers
// ERROR_TIMEOUT), modify, delete, balloons and the pop-up menu. The structure size sent to the
// shell follows the shell version read at construction.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>

class CTaskTray {
public:
    CTaskTray();
    // Hides a balloon, stops an add retry, deletes the icon and destroys the loaded icon.
    virtual ~CTaskTray();
    CTaskTray(const CTaskTray&) = delete;
    CTaskTray& operator=(const CTaskTray&) = delete;

    // Shows the submenu at position subMenu of menu resource menuId at the cursor; the chosen
    // command reaches the icon's window as WM_COMMAND. FALSE when the menu could not be shown.
    virtual BOOL ShowPopupMenu(UINT menuId, int subMenu, UINT defaultItem, BOOL byPosition, HWND owner);
    // Called with the submenu just before it is shown.
    virtual void CustomizeMenu(HMENU /*menu*/) {}

    void SetInstance(HINSTANCE instance) { m_instance = instance; }

    // Adds the icon of window/id with the given callback message, icon resource and tooltip.
    // TRUE when the shell took it now; an ERROR_TIMEOUT answer starts the retry timer.
    BOOL Add(HWND window, UINT id, UINT callbackMessage, UINT iconId, const std::wstring& tip);
    // Deletes the icon (and stops a pending add retry).
    BOOL Delete();
    // Balloon on the icon (shell 5.0 or later); text up to 256, title up to 64 characters.
    BOOL ShowBalloon(const std::wstring& text, const std::wstring& title, DWORD iconKind, UINT timeoutMs);
    BOOL HideBalloon();

    // Whether the shell holds the icon (added and not deleted since).
    bool IsAdded() const { return m_added; }
    bool IsAddRetrying() const { return m_retryTimer != 0; }
    HWND GetWindow() const { return m_data.hWnd; }
    // Major in bits 48-63, minor in bits 32-47; 0 when unknown.
    uint64_t ShellVersion() const { return m_shellVersion; }
    DWORD DataSize() const { return m_data.cbSize; }

    static uint64_t MakeVersion(DWORD major, DWORD minor) {
        return (static_cast<uint64_t>(major) << 48) | (static_cast<uint64_t>(minor & 0xFFFF) << 32);
    }
    // cbSize for a shell version: V1 before 5.0, V2 up to 6.0, then V3 before Vista, full on
    // Vista and later.
    static DWORD DataSizeFor(uint64_t shellVersion, bool vistaOrLater);
    // "Shell32.dll"'s DllGetVersion, or 0 when it has none.
    static uint64_t ReadShellVersion();

    // Brings hwnd to the foreground even from the background (the foreground lock time-out is
    // set to 0 meanwhile). Nothing for a handle that is not a window.
    static void ForceForeground(HWND hwnd);

protected:
    // The shell call; tests replace it to script answers.
    virtual BOOL Notify(DWORD message, NOTIFYICONDATAW* data);

private:
    static void CALLBACK RetryTimerProc(HWND, UINT, UINT_PTR timerId, DWORD);
    void RetryAdd();
    void StopRetry();
    void SetVersion();
    static void CopyText(wchar_t* target, size_t capacity, const std::wstring& text);

    HINSTANCE m_instance;
    NOTIFYICONDATAW m_data;
    HICON m_icon = nullptr;
    UINT_PTR m_retryTimer = 0;
    uint64_t m_shellVersion = 0;
    bool m_vistaOrLater = false;
    NOTIFYICONDATAW m_retryData;
    bool m_added = false;
};
