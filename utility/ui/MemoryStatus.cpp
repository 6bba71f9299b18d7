#include "utility/ui/MemoryStatus.h"

#include <windows.h>

namespace {

MemoryFigures SystemFigures() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    MemoryFigures figures;
    if (GlobalMemoryStatusEx(&status)) {
        figures.totalPhys = status.ullTotalPhys;
        figures.availPhys = status.ullAvailPhys;
    }
    return figures;
}

UMemoryStatus::Reader g_reader = SystemFigures;

}  // namespace

MemoryFigures UMemoryStatus::Read() { return g_reader(); }

UMemoryStatus::Reader UMemoryStatus::Replace(Reader reader) {
    Reader previous = g_reader;
    g_reader = reader ? reader : SystemFigures;
    return previous;
}
