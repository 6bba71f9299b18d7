#include "utility/disk/SystemRestart.h"

#include "framework/Handle.h"

namespace USystemRestart {

namespace {
BOOL WINAPI CallExitWindows(UINT flags, DWORD reason) { return ExitWindowsEx(flags, reason); }

ExitWindowsFunction g_exitWindows = CallExitWindows;
}  // namespace

bool SetShutdownPrivilege(bool enable) {
    CHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.Put())) return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    bool adjusted = false;
    if (LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        // AdjustTokenPrivileges succeeds without the privilege held; only ERROR_SUCCESS means adjusted.
        adjusted = AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) &&
                   GetLastError() == ERROR_SUCCESS;
    }
    return adjusted;
}

bool RestartWindows() {
    SetShutdownPrivilege(true);
    bool requested = g_exitWindows(EWX_REBOOT, 0) != FALSE;
    SetShutdownPrivilege(false);
    return requested;
}

ExitWindowsFunction SetExitWindowsFunction(ExitWindowsFunction function) {
    ExitWindowsFunction previous = g_exitWindows;
    g_exitWindows = function ? function : CallExitWindows;
    return previous;
}

}  // namespace USystemRestart
