#include "utility/ui/ShieldMessageBox.h"

#include <commctrl.h>

namespace {

// The hook of the box being shown on this thread.
thread_local HHOOK t_hook = nullptr;
thread_local const std::vector<int>* t_buttons = nullptr;

LRESULT CALLBACK CallWndRetProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && t_buttons) {
        const CWPRETSTRUCT* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (message->message == WM_INITDIALOG) {
            for (int id : *t_buttons) {
                HWND button = GetDlgItem(message->hwnd, id);
                if (button) SendMessageW(button, BCM_SETSHIELD, 0, TRUE);
            }
        }
    }
    return CallNextHookEx(t_hook, code, wParam, lParam);
}

}  // namespace

int UShieldMessageBox::Show(HWND owner, const std::wstring& text, const std::wstring& caption,
                            const std::vector<int>& shieldButtons) {
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, CallWndRetProc, nullptr, GetCurrentThreadId());
    if (!hook) return -1;
    HHOOK savedHook = t_hook;
    const std::vector<int>* savedButtons = t_buttons;
    t_hook = hook;
    t_buttons = &shieldButtons;
    int result = MessageBoxW(owner, text.c_str(), caption.c_str(), MB_ICONWARNING | MB_YESNO);
    UnhookWindowsHookEx(hook);
    t_hook = savedHook;
    t_buttons = savedButtons;
    return result;
}
