#include "standin/StandinVolumeKind.h"

#include <cstring>

namespace UStandinVolumeKind {

namespace {

unsigned Word(const uint8_t* at) { return at[0] | (at[1] << 8); }
uint32_t Long(const uint8_t* at) { return Word(at) | (static_cast<uint32_t>(Word(at + 2)) << 16); }
bool PowerOfTwo(unsigned value, unsigned low, unsigned high) {
    return value >= low && value <= high && (value & (value - 1)) == 0;
}

}  // namespace

Kind Of(const uint8_t* sector, size_t length) {
    if (length < 512 || sector[510] != 0x55 || sector[511] != 0xAA) return Kind::None;
    const unsigned bytesPerSector = Word(sector + 11);
    if (!PowerOfTwo(bytesPerSector, 512, 4096)) return Kind::None;
    const unsigned sectorsPerCluster = sector[13];
    if (std::memcmp(sector + 3, "NTFS    ", 8) == 0) {
        // Above 128 the byte holds a negative power of two (clusters of 2^-n sectors' bytes).
        const bool sound = PowerOfTwo(sectorsPerCluster, 1, 128) || (sectorsPerCluster >= 0xF4);
        return sound ? Kind::Ntfs : Kind::None;
    }
    const unsigned reserved = Word(sector + 14), fats = sector[16];
    const uint32_t total = Word(sector + 19) ? Word(sector + 19) : Long(sector + 32);
    if (!PowerOfTwo(sectorsPerCluster, 1, 128) || reserved == 0 || fats == 0 || total == 0) return Kind::None;
    if (Word(sector + 22) != 0) return Kind::Fat;
    return Long(sector + 36) != 0 ? Kind::Fat32 : Kind::None;
}

}  // namespace UStandinVolumeKind
