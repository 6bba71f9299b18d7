#pragma once
// Physical memory figures for the windows (GlobalMemoryStatusEx), behind a process-wide hook
// that tests replace.
#include <cstdint>

struct MemoryFigures {
    uint64_t totalPhys = 0;
    uint64_t availPhys = 0;
};

namespace UMemoryStatus {
using Reader = MemoryFigures (*)();
MemoryFigures Read();
// Replaces the reader (null restores the system's); returns the one before.
Reader Replace(Reader reader);
}  // namespace UMemoryStatus
