#pragma once
// The volume serial number written into new FAT boot sectors, and the clock behind it.
#include <cstdint>

namespace UVolumeSerial {

// Seconds since 1970.
using Clock = int64_t (*)();

// Low 32 bits of the clock's current time.
uint32_t Current();

// Replaces the clock (nullptr restores the system clock); returns the clock it replaced.
Clock SetClock(Clock clock);

}  // namespace UVolumeSerial
