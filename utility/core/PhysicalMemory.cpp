#include "utility/core/PhysicalMemory.h"

#include <windows.h>

namespace {

MemoryFigures SystemFigures() {
    MemoryFigures figures;
    using StatusEx = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto statusEx =
        kernel ? reinterpret_cast<StatusEx>(reinterpret_cast<void*>(GetProcAddress(kernel, "GlobalMemoryStatusEx")))
               : nullptr;
    if (statusEx) {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof(status);
        if (statusEx(&status)) {
            figures.totalPhys = status.ullTotalPhys;
            figures.availPhys = status.ullAvailPhys;
            return figures;
        }
    }
    MEMORYSTATUS status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    figures.totalPhys = status.dwTotalPhys;
    figures.availPhys = status.dwAvailPhys;
    return figures;
}

UPhysicalMemory::Reader g_reader = SystemFigures;

}  // namespace

MemoryFigures UPhysicalMemory::Read() { return g_reader(); }

UPhysicalMemory::Reader UPhysicalMemory::Replace(Reader reader) {
    Reader previous = g_reader;
    g_reader = reader ? reader : SystemFigures;
    return previous;
}
