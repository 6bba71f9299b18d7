#include "utility/core/PhysicalMemory.h"

#include <windows.h>

namespace {

uint64_t SystemTotal() {
    using StatusEx = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto statusEx = kernel ? reinterpret_cast<StatusEx>(reinterpret_cast<void*>(
                                 GetProcAddress(kernel, "GlobalMemoryStatusEx")))
                           : nullptr;
    if (statusEx) {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof(status);
        if (statusEx(&status)) return status.ullTotalPhys;
    }
    MEMORYSTATUS status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    return status.dwTotalPhys;
}

UPhysicalMemory::Reader g_reader = SystemTotal;

}  // namespace

uint64_t UPhysicalMemory::Total() { return g_reader(); }

UPhysicalMemory::Reader UPhysicalMemory::Replace(Reader reader) {
    Reader previous = g_reader;
    g_reader = reader ? reader : SystemTotal;
    return previous;
}
