#pragma once
// Starts the tools program for one browsing-data job in a chosen security context and waits
// for it without limit: plain, at low integrity, or in an AppContainer (so that the data that
// Internet Explorer keeps apart for its protected modes is reached too). Each returns whether
// the program started; every handle, SID, list and library is released on every path.
#include <windows.h>

#include <string>

// Which call of a launch failed, and with what error (for the caller's diagnostics).
struct CLaunchOutcome {
    bool started = false;
    const char* failedCall = nullptr;  // null when started, or when the system is too old
    DWORD error = 0;
};

namespace UUserContextLaunch {

// "/" followed by the switch name: the program's whole command line.
std::wstring CommandLine(const std::wstring& switchName);

// CreateProcessW with the program and command line, no inheritance, flags 0.
CLaunchOutcome Plain(const std::wstring& program, const std::wstring& commandLine);
// A duplicate of the own token labelled low mandatory level (S-1-16-4096), started with
// CreateProcessAsUserW. Before Vista it starts nothing.
CLaunchOutcome LowIntegrity(const std::wstring& program, const std::wstring& commandLine, bool vistaOrLater);
// An AppContainer with six capabilities, set through a process-thread attribute list whose
// functions are looked up in Kernel32.dll. Before Windows 8 it starts nothing.
CLaunchOutcome AppContainer(const std::wstring& program, const std::wstring& commandLine, bool windows8OrLater);

}  // namespace UUserContextLaunch
