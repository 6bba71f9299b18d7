#pragma once
// A window object over an HWND. Windows created by CreateEx, dialogs and subclassed controls
// are bound to their object when their first message arrives; WindowProc then hands the
// messages to the virtual handlers below, and whatever a handler leaves alone goes to
// DefWindowProc (the class's own procedure for a subclassed control).
#include <windows.h>

#include <string>

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Registers a window class whose procedure dispatches to CWnd objects. Registering a
    // name that exists already counts as success. The class atom, or 0 (GetLastError).
    static ATOM RegisterWindowClass(LPCWSTR className, UINT style = 0, HICON icon = nullptr, HCURSOR cursor = nullptr,
                                    HBRUSH background = nullptr, HINSTANCE instance = nullptr);

    // Creates the window of a class registered by RegisterWindowClass and binds it to this
    // object before WM_NCCREATE. param reaches WM_CREATE as lpCreateParams. False on failure,
    // also when the object has a window already.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU menu = nullptr, LPVOID param = nullptr);

    // Binds an existing window of any class (a dialog control, say) to this object: its
    // messages pass through WindowProc first. False when this object or hwnd is bound already.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    // Undoes SubclassWindow; returns the window.
    HWND UnsubclassWindow();

    // Takes a window handle without routing its messages (a plain wrapper); Detach gives it back.
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND Detach();

    BOOL DestroyWindow();

    // The object bound to hwnd by CreateEx, a dialog or SubclassWindow; null otherwise.
    static CWnd* FromHandle(HWND hwnd);

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Thin forwards.
    BOOL ShowWindow(int show) const { return ::ShowWindow(m_hWnd, show); }
    BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
    BOOL SetWindowText(LPCWSTR text) const { return ::SetWindowTextW(m_hWnd, text); }
    std::wstring GetWindowText() const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::wstring GetDlgItemText(int id) const;
    BOOL SetDlgItemText(int id, LPCWSTR text) const { return ::SetDlgItemTextW(m_hWnd, id, text); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs) const { return ::SetTimer(m_hWnd, id, elapseMs, nullptr); }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    // Sets the big (TRUE) or small icon; returns the previous one.
    HICON SetIcon(HICON icon, BOOL big) const {
        return reinterpret_cast<HICON>(
            SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    BOOL SetForegroundWindow() const { return ::SetForegroundWindow(m_hWnd); }
    BOOL CenterWindow(HWND alternateOwner = nullptr) const;

    HWND m_hWnd = nullptr;

protected:
    // Hands a message to the handlers below; overriding it sees every message.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing: the subclassed procedure, or DefWindowProcW.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // WM_CREATE: 0 to go on, -1 to fail the creation.
    virtual int OnCreate(LPCREATESTRUCTW createStruct);
    virtual void OnDestroy() {}
    // WM_COMMAND: TRUE when handled (no default processing then).
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: TRUE when handled, with *result the message's result.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void OnTimer(UINT_PTR id);
    // WM_CLOSE: the default destroys the window.
    virtual void OnClose();
    // After the last message (WM_NCDESTROY), once m_hWnd is null; objects that own
    // themselves delete themselves here.
    virtual void PostNcDestroy() {}

    // Routes the window's messages to this object (used by the dialog classes).
    void BindHandle(HWND hwnd);
    // The object being created on this thread; its window binds on its first message.
    static void SetCreating(CWnd* wnd);
    static CWnd* TakeCreating();

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Runs one message for this object and unbinds it after WM_NCDESTROY.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Unbind();

    friend class CDialog;
    WNDPROC m_superProc = nullptr;  // the class procedure replaced by SubclassWindow
};
