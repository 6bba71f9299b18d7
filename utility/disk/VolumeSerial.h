#pragma once
// The volume serial number written into new FAT boot sectors.
#include <cstdint>

namespace UVolumeSerial {

// Low 32 bits of the clock's seconds since 1970.
uint32_t Current();

}  // namespace UVolumeSerial
