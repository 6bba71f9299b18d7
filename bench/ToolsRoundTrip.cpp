// VelmoraEXToolsBench.exe: the time of one tools-program command round trip (the server starts
// VelmoraEXTools.exe, hands it a re-link command and reads its result) next to the start of a
// program that does nothing, and to the start of VelmoraEXTools.exe alone (no pipe there: it
// loads its libraries, finds no pipe and ends), each waited for to its end, in alternating
// rounds. Prints the median, minimum and maximum of each in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "utility/tools_channel/ElevatedStart.h"
#include "utility/tools_channel/ToolCommandBuilder.h"
#include "utility/tools_channel/VelmoraToolCmdServer.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::wstring Beside(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring self(path, n);
    return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

bool BareStart(const std::wstring& program) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CHandle process(info.hProcess), thread(info.hThread);
    return WaitForSingleObject(process.Get(), 60000) == WAIT_OBJECT_0;
}

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    std::printf("%-34s median %7.1f ms  min %7.1f  max %7.1f  (%zu runs)\n", what, median, ms.front(), ms.back(), n);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? _wtoi(argv[1]) : 20;
    const std::wstring tools = Beside(L"VelmoraEXTools.exe"), bare = Beside(L"VelmoraEXBareStart.exe");
    const CVelmoraEXVlinkData link(L"C:\\users\\me\\Docs", L"\\Vlink\\Docs", L"C:\\users\\me\\Docs_Backup");
    const std::vector<uint8_t> payload = UToolCommandBuilder::Relink(L'R', link);
    std::vector<double> roundTrips, bareStarts, toolsStarts;
    // One of each first, unmeasured: the system's caches.
    for (int i = -1; i < rounds; ++i) {
        double start = Now();
        if (!BareStart(bare)) return std::fprintf(stderr, "cannot start %ls\n", bare.c_str()), 1;
        if (i >= 0) bareStarts.push_back(Now() - start);

        start = Now();
        if (!BareStart(tools)) return std::fprintf(stderr, "cannot start %ls\n", tools.c_str()), 1;
        if (i >= 0) toolsStarts.push_back(Now() - start);

        start = Now();
        CVelmoraToolCmdServer server(tools, false, payload, CRunasStart::Instance(), true);
        const int run = server.Run();
        const double took = Now() - start;
        if (run != 0 || server.Result().size() != 16) return std::fprintf(stderr, "round trip failed: %d\n", run), 1;
        if (i >= 0) roundTrips.push_back(took);
    }
    Report("start of a program doing nothing", bareStarts);
    Report("start of the tools program, no pipe", toolsStarts);
    Report("tools command round trip", roundTrips);
    return 0;
}
