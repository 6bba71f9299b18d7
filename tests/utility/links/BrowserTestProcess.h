#pragma once
// A copy of the running test program under a browser's file name, started so that it only waits
// until it is stopped (or a minute has passed).
#include <windows.h>

#include <string>

#include "framework/Handle.h"

class BrowserTestProcess {
public:
    explicit BrowserTestProcess(const std::wstring& path) : m_path(path) {
        wchar_t self[MAX_PATH * 2] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
        if (!CopyFileW(self, path.c_str(), FALSE)) return;
        std::wstring command = L"\"" + path + L"\" --vmx-browser-wait";
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
        const CHandle thread(pi.hThread);
        m_process.Reset(pi.hProcess);
        WaitForInputIdle(m_process.Get(), 5000);
        Sleep(200);
    }
    ~BrowserTestProcess() { Stop(); }

    bool Started() const { return m_process.IsValid(); }
    void Stop() {
        if (!m_process) return;
        TerminateProcess(m_process.Get(), 0);
        WaitForSingleObject(m_process.Get(), 10000);
        m_process.Reset();
        DeleteFileW(m_path.c_str());
    }

    // In the copy: waits instead of running the tests. Call once at program start.
    static bool WaitIfCopy() {
        if (!wcsstr(GetCommandLineW(), L"--vmx-browser-wait")) return false;
        Sleep(60000);
        ExitProcess(0);
    }

private:
    std::wstring m_path;
    CHandle m_process;
};
