#include "utility/disk/VolumeSerial.h"

#include "framework/Clock.h"

uint32_t UVolumeSerial::Current() { return static_cast<uint32_t>(static_cast<uint64_t>(UClock::Seconds())); }
