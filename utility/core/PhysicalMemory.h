#pragma once
// Total physical memory, behind a process-wide hook that tests replace.
#include <cstdint>

namespace UPhysicalMemory {
using Reader = uint64_t (*)();
// Bytes of physical memory (GlobalMemoryStatusEx, or GlobalMemoryStatus without it).
uint64_t Total();
// Replaces the reader (null restores the system's); returns the one before.
Reader Replace(Reader reader);
// At most this many bytes counts as too little memory for RAM disks (256 MB).
const uint64_t kLowMemoryLimit = 0x10000000;
inline bool IsLow(uint64_t total) { return total <= kLowMemoryLimit; }
}  // namespace UPhysicalMemory
