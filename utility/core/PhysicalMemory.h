#pragma once
// The machine's physical memory figures, behind a process-wide hook that tests replace.
#include <cstdint>

struct MemoryFigures {
    uint64_t totalPhys = 0;
    uint64_t availPhys = 0;
};

namespace UPhysicalMemory {
using Reader = MemoryFigures (*)();
// Total and available physical memory (GlobalMemoryStatusEx, or GlobalMemoryStatus without it).
MemoryFigures Read();
// Bytes of physical memory.
inline uint64_t Total() { return Read().totalPhys; }
// Replaces the reader (null restores the system's); returns the one before.
Reader Replace(Reader reader);
// At most this many bytes counts as too little memory for RAM disks (256 MB).
const uint64_t kLowMemoryLimit = 0x10000000;
inline bool IsLow(uint64_t total) { return total <= kLowMemoryLimit; }
}  // namespace UPhysicalMemory
