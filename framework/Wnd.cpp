#include "framework/Wnd.h"

#include <vector>

#include "framework/WinApp.h"

namespace {
const wchar_t kObjectProp[] = L"VmxCWnd";
thread_local CWnd* t_creating = nullptr;
}  // namespace

CWnd::~CWnd() {
    // A window that outlives its object must no longer reach it.
    if (m_hWnd && FromHandle(m_hWnd) == this) {
        if (m_superProc) {
            UnsubclassWindow();
        } else {
            HWND hwnd = m_hWnd;
            Unbind();
            ::DestroyWindow(hwnd);
        }
    }
}

ATOM CWnd::RegisterWindowClass(LPCWSTR className, UINT style, HICON icon, HCURSOR cursor, HBRUSH background,
                               HINSTANCE instance) {
    if (!instance) instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    // GetClassInfoExW returns the class atom.
    if (const BOOL atom = GetClassInfoExW(instance, className, &wc)) return static_cast<ATOM>(atom);
    wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return RegisterClassExW(&wc);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, LPVOID param) {
    if (m_hWnd) return FALSE;
    SetCreating(this);
    HWND hwnd = CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent, menu,
                                GetModuleHandleW(nullptr), param);
    const DWORD error = GetLastError();
    TakeCreating();  // the class may not be ours: never leave the pointer behind
    if (!hwnd) {
        m_hWnd = nullptr;
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !hwnd || FromHandle(hwnd)) return FALSE;
    BindHandle(hwnd);
    m_superProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    if (!m_superProc) {
        Unbind();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent || !parent->m_hWnd) return FALSE;
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    if (hwnd && m_superProc) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
        m_superProc = nullptr;
        Unbind();
    }
    return hwnd;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    return static_cast<CWnd*>(GetPropW(hwnd, kObjectProp));
}

std::wstring CWnd::GetWindowText() const {
    const int length = GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    return std::wstring(text.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

std::wstring CWnd::GetDlgItemText(int id) const {
    HWND item = GetDlgItem(id);
    if (!item) return std::wstring();
    const int length = GetWindowTextLengthW(item);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(item, text.data(), length + 1);
    return std::wstring(text.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

BOOL CWnd::CenterWindow(HWND alternateOwner) const {
    HWND owner = alternateOwner ? alternateOwner : GetWindow(m_hWnd, GW_OWNER);
    if (!owner) owner = GetDesktopWindow();
    RECT self = {}, area = {};
    if (!GetWindowRect(m_hWnd, &self) || !GetWindowRect(owner, &area)) return FALSE;
    const int width = self.right - self.left, height = self.bottom - self.top;
    const int x = area.left + ((area.right - area.left) - width) / 2;
    const int y = area.top + ((area.bottom - area.top) - height) / 2;
    return SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam));
        case WM_DESTROY:
            OnDestroy();
            break;
        case WM_COMMAND:
            if (OnCommand(wParam, lParam)) return 0;
            break;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (OnNotify(wParam, lParam, &result)) return result;
            break;
        }
        case WM_TIMER:
            OnTimer(static_cast<UINT_PTR>(wParam));
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        default:
            break;
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_superProc) return CallWindowProcW(m_superProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

int CWnd::OnCreate(LPCREATESTRUCTW createStruct) {
    return static_cast<int>(DefWindowProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(createStruct)));
}

BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }

BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) { return FALSE; }

void CWnd::OnTimer(UINT_PTR id) { DefWindowProc(WM_TIMER, id, 0); }

void CWnd::OnClose() { DefWindowProc(WM_CLOSE, 0, 0); }

void CWnd::BindHandle(HWND hwnd) {
    m_hWnd = hwnd;
    SetPropW(hwnd, kObjectProp, this);
}

void CWnd::Unbind() {
    if (m_hWnd) RemovePropW(m_hWnd, kObjectProp);
    m_hWnd = nullptr;
}

void CWnd::SetCreating(CWnd* wnd) { t_creating = wnd; }

CWnd* CWnd::TakeCreating() {
    CWnd* wnd = t_creating;
    t_creating = nullptr;
    return wnd;
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        if (m_superProc) {
            // The class procedure has run its own clean-up; put it back before letting go.
            SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
            m_superProc = nullptr;
        }
        Unbind();
        // The end of the application's main window ends its message loop.
        CWinApp* app = CWinApp::GetApp();
        if (app && app->m_pMainWnd == this) {
            app->m_pMainWnd = nullptr;
            PostQuitMessage(0);
        }
        PostNcDestroy();
    }
    return result;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandle(hwnd);
    if (!wnd) {
        wnd = TakeCreating();
        if (!wnd) return ::DefWindowProcW(hwnd, message, wParam, lParam);
        wnd->BindHandle(hwnd);
    }
    return wnd->Dispatch(message, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandle(hwnd);
    if (!wnd) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return wnd->Dispatch(message, wParam, lParam);
}
