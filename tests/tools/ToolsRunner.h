#pragma once
// Runs the programs built beside the test program and gives their exit codes.
#include <windows.h>

#include <string>

#include "framework/Handle.h"

namespace toolsrun {

inline std::wstring BuildDir() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring self(path, n);
    return self.substr(0, self.find_last_of(L'\\') + 1);
}
inline std::wstring ToolsPath() { return BuildDir() + L"VelmoraEXTools.exe"; }
inline std::wstring ProbePath() { return BuildDir() + L"VelmoraEXToolsProbe.exe"; }

// Starts program with the whole command line and waits up to timeoutMs; the exit code, or
// 0xDEAD when it did not start or did not end in time (then it is ended).
inline DWORD Run(const std::wstring& program, const std::wstring& commandLine, DWORD timeoutMs = 60000) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), line.empty() ? nullptr : &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return 0xDEAD;
    CHandle process(info.hProcess), thread(info.hThread);
    if (WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), 0xDEAD);
        return 0xDEAD;
    }
    DWORD code = 0xDEAD;
    GetExitCodeProcess(process.Get(), &code);
    return code;
}

}  // namespace toolsrun
