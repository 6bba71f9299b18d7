#pragma once
// The shutdown privilege and restarting Windows.
#include <windows.h>

namespace USystemRestart {

// Switches SeShutdownPrivilege of the current process on or off; true when it was adjusted.
bool SetShutdownPrivilege(bool enable);

// Switches the privilege on, asks Windows to restart, switches it off. Result of the restart request.
bool RestartWindows();

// Stands in for ExitWindowsEx; tests replace it so that nothing restarts. Returns the previous one.
using ExitWindowsFunction = BOOL(WINAPI*)(UINT flags, DWORD reason);
ExitWindowsFunction SetExitWindowsFunction(ExitWindowsFunction function);

}  // namespace USystemRestart
