#include "utility/disk/NtfsBootSector.h"

#include "utility/disk/NtfsBootCode.h"
#include "utility/disk/NtfsBytes.h"
#include "utility/disk/NtfsLayout.h"

#include <cstring>

using namespace UNtfsBytes;

namespace {

constexpr uint8_t kMedia = 0xF8;
constexpr uint16_t kSectorsPerTrack = 63;
constexpr uint16_t kHeads = 255;
constexpr uint32_t kHiddenSectors = 63;

}  // namespace

namespace UNtfsBootSector {

uint8_t SizeCode(uint32_t size, uint32_t clusterSize) {
    if (size >= clusterSize) return static_cast<uint8_t>(size / clusterSize);
    int log2 = 0;
    while ((1u << log2) < size) ++log2;
    return static_cast<uint8_t>(-log2);
}

void Build(uint8_t* boot, const CNtfsLayout& layout, uint64_t serial) {
    std::memset(boot, 0, kBootSize);
    UNtfsBootCode::Fill(boot);
    boot[0] = 0xEB;
    boot[1] = 0x52;
    boot[2] = 0x90;
    std::memcpy(boot + 3, "NTFS    ", 8);
    Put16(boot + 11, static_cast<uint16_t>(layout.sectorSize));
    boot[13] = static_cast<uint8_t>(layout.clusterSize / layout.sectorSize);
    boot[21] = kMedia;
    Put16(boot + 24, kSectorsPerTrack);
    Put16(boot + 26, kHeads);
    Put32(boot + 28, kHiddenSectors);
    boot[36] = 0x80;
    boot[38] = 0x80;
    Put64(boot + 40, layout.volumeSectors);
    Put64(boot + 48, layout.mftLcn);
    Put64(boot + 56, layout.mirrorLcn);
    boot[64] = SizeCode(layout.recordSize, layout.clusterSize);
    boot[68] = SizeCode(layout.indexBlockSize, layout.clusterSize);
    Put64(boot + 72, serial);
    Put32(boot + 80, 0);
    boot[510] = 0x55;
    boot[511] = 0xAA;
}

}  // namespace UNtfsBootSector
