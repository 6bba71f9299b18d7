#pragma once
// A yes/no warning box whose listed buttons carry the administrator shield.
#include <windows.h>

#include <string>
#include <vector>

namespace UShieldMessageBox {
// MessageBoxW with MB_ICONWARNING | MB_YESNO owned by owner; each listed button id that exists
// gets BCM_SETSHIELD when the box initialises. The box's result, or -1 when the hook that
// marks the buttons cannot be installed.
int Show(HWND owner, const std::wstring& text, const std::wstring& caption, const std::vector<int>& shieldButtons);
}  // namespace UShieldMessageBox
