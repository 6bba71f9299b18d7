#include "utility/ui/TrayPrompt.h"

#include "utility/ui/TaskTray.h"

int CTrayPrompt::MessageBox(HWND owner, const std::wstring& caption, const std::wstring& text, UINT style) {
    // Qualified: the member itself is called MessageBoxW once <windows.h> has had its say.
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), style);
}

void CTrayPrompt::Balloon(CTaskTray& tray, const std::wstring& text, const std::wstring& title, int iconKind,
                          UINT timeoutMs) {
    tray.ShowBalloon(text, title, static_cast<DWORD>(iconKind), timeoutMs);
}
