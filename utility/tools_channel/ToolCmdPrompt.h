#pragma once
// Where the tools server's message boxes go: the window that owns the operation shows them;
// tests record caption, text and style and answer as told.
#include <windows.h>

#include <string>

class IToolCmdPrompt {
public:
    virtual ~IToolCmdPrompt() = default;
    // A message box; with shieldOnYes the Yes button carries the administrator shield (the
    // style is then MB_YESNO | MB_ICONWARNING). Returns the button (IDYES, IDNO, IDOK...).
    virtual int MessageBox(HWND owner, const std::wstring& caption, const std::wstring& text, UINT style,
                           bool shieldOnYes) = 0;
};
