// UStandinVolumeKind::Of on any bytes. A kind other than None promises a sector that a
// file-system program can be given: the 0x55 0xAA mark, a power-of-two sector size from 512 to
// 4096, and for FAT a power-of-two cluster of 1 to 128 sectors, reserved sectors, at least one
// FAT and a sector count; NTFS exactly when the OEM name says so; FAT32 exactly when the 16-bit
// FAT size is 0. Only the first 512 bytes count, and fewer give None.
#include <cstring>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "standin/StandinVolumeKind.h"

using UStandinVolumeKind::Kind;

namespace {

unsigned Word(const uint8_t* at) { return at[0] | (at[1] << 8); }
bool PowerOfTwo(unsigned value) { return value != 0 && (value & (value - 1)) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact copy, so that reading past the given length is caught.
    std::vector<uint8_t> bytes(data, data + size);
    const Kind kind = UStandinVolumeKind::Of(bytes.data(), bytes.size());
    if (size < 512) {
        FUZZ_CHECK(kind == Kind::None);
        return 0;
    }
    std::vector<uint8_t> longer(bytes);
    longer.push_back(0x5A);
    FUZZ_CHECK(UStandinVolumeKind::Of(longer.data(), longer.size()) == kind);
    FUZZ_CHECK(UStandinVolumeKind::Of(bytes.data(), 511) == Kind::None);
    if (kind == Kind::None) return 0;

    const uint8_t* s = bytes.data();
    FUZZ_CHECK(s[510] == 0x55 && s[511] == 0xAA);
    const unsigned bytesPerSector = Word(s + 11);
    FUZZ_CHECK(PowerOfTwo(bytesPerSector) && bytesPerSector >= 512 && bytesPerSector <= 4096);
    FUZZ_CHECK((kind == Kind::Ntfs) == (std::memcmp(s + 3, "NTFS    ", 8) == 0));
    FUZZ_CHECK(s[13] != 0);
    if (kind != Kind::Ntfs) {
        FUZZ_CHECK(PowerOfTwo(s[13]) && s[13] <= 128);
        FUZZ_CHECK(Word(s + 14) != 0 && s[16] != 0);
        FUZZ_CHECK(Word(s + 19) != 0 || Word(s + 32) != 0 || Word(s + 34) != 0);
        FUZZ_CHECK((kind == Kind::Fat32) == (Word(s + 22) == 0));
    }
    return 0;
}
