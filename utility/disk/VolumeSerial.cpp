#include "utility/disk/VolumeSerial.h"

#include <atomic>
#include <ctime>

namespace UVolumeSerial {
namespace {
int64_t SystemClock() { return static_cast<int64_t>(std::time(nullptr)); }

std::atomic<Clock> g_clock{SystemClock};
}  // namespace

uint32_t Current() { return static_cast<uint32_t>(static_cast<uint64_t>(g_clock.load()())); }

Clock SetClock(Clock clock) { return g_clock.exchange(clock ? clock : SystemClock); }

}  // namespace UVolumeSerial
