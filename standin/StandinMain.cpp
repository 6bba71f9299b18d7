// VelmoraEXStandin: serves the RAM-disk driver's commands on a named pipe for machines without
// the driver. See standin/README.md.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "standin/StandinDriver.h"
#include "standin/StandinOptions.h"
#include "standin/StandinPipeServer.h"

namespace {

HANDLE g_stopEvent = nullptr;

// "Local\VelmoraEXStandinStop.<pipe name>": setting it ends the stand-in serving that pipe.
std::wstring StopEventName(const std::wstring& pipeName) { return L"Local\\VelmoraEXStandinStop." + pipeName; }

BOOL WINAPI OnConsoleControl(DWORD) {
    if (g_stopEvent) SetEvent(g_stopEvent);
    return TRUE;
}

int AskToStop(const std::wstring& pipeName) {
    const CHandle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, StopEventName(pipeName).c_str()));
    if (!event) {
        fwprintf(stderr, L"VelmoraEXStandin: no stand-in is serving pipe %ls\n", pipeName.c_str());
        return 1;
    }
    SetEvent(event.Get());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    CStandinOptions options;
    std::wstring error;
    if (!options.Parse(args, error)) {
        fwprintf(stderr, L"VelmoraEXStandin: %ls\n%ls\n", error.c_str(), CStandinOptions::kUsage);
        return 2;
    }
    if (options.help) {
        fwprintf(stdout, L"%ls\n", CStandinOptions::kUsage);
        return 0;
    }
    if (options.stop) return AskToStop(options.pipeName);

    const CHandle stop(CreateEventW(nullptr, TRUE, FALSE, StopEventName(options.pipeName).c_str()));
    if (!stop.Get()) {
        fwprintf(stderr, L"VelmoraEXStandin: cannot create the stop event (error %lu)\n", GetLastError());
        return 1;
    }
    ResetEvent(stop.Get());  // left set by an earlier stand-in of the same name that is still ending
    g_stopEvent = stop.Get();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    int exitCode = 0;
    {
        CStandinDriver driver(options, stderr);
        DWORD result = driver.PrepareRamFolder();
        if (result != ERROR_SUCCESS) {
            fwprintf(stderr, L"VelmoraEXStandin: cannot use the RAM folder %ls (error %lu)\n", options.ramDir.c_str(),
                     result);
            exitCode = 1;
        } else {
            CStandinPipeServer server(options.pipeName, driver);
            result = server.Create();
            if (result != ERROR_SUCCESS) {
                fwprintf(stderr, L"VelmoraEXStandin: cannot serve pipe %ls (error %lu): is another stand-in running?\n",
                         options.pipeName.c_str(), result);
                exitCode = 1;
            } else {
                if (options.startupDisks) driver.CreateStartupDisks();
                server.Run(stop.Get());
            }
        }
        driver.RemoveAll();
    }
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    g_stopEvent = nullptr;
    return exitCode;
}
