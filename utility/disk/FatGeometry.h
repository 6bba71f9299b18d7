#pragma once
// Layout of an empty FAT volume: the cluster-size table, the resolution of the automatic
// format types, the geometry formulas, and the choice of a layout that readers accept.
#include <cstdint>

// FAT types, numbered like the FormatType values that request them.
enum FatType {
    FAT_TYPE_12 = 1,
    FAT_TYPE_16 = 2,
    FAT_TYPE_32 = 3,
};

// FormatType values that leave the FAT type to the volume size.
enum : int {
    FORMAT_TYPE_AUTO_FAT16 = 0x10000,  // FAT12 or FAT16
    FORMAT_TYPE_AUTO_FAT32 = 0x20000,  // FAT12, FAT16 or FAT32
};

struct FatGeometry {
    uint8_t sectorsPerCluster = 0;
    uint32_t rootEntries = 0;  // 512 (FAT12/16), 0 (FAT32)
    uint32_t rootBytes = 0;    // bytes of the root directory to zero
    uint32_t dataSectors = 0;  // from the type's formula
    uint32_t clusters = 0;     // from the type's formula (readers count from the fields below)
    uint32_t fatSectors = 0;   // sectors of one FAT
    uint32_t fatCount = 2;
    uint8_t media = 0xF8;

    int type = 0;  // FatType
    uint32_t bytesPerSector = 0;
    uint32_t totalSectors = 0;
    uint32_t reservedSectors = 0;  // 1 (FAT12/16), 32 (FAT32)
};

namespace UFatGeometry {

const uint32_t kBytesPerSector = 512;
const uint32_t kMaxFat12Clusters = 4084;
const uint32_t kMaxFat16Clusters = 65524;
const uint32_t kMaxFat32Clusters = 0x0FFFFFF5;

// Sectors per cluster for a volume of size bytes (0 for size 0).
uint8_t SectorsPerCluster(uint64_t size);

// Resolves 0x10000 and 0x20000 to FAT12, FAT16 or FAT32 from the cluster count estimated with
// the FAT12 formula and the table's cluster size. Any other value, or a sector size that is not
// a power of two from 512 to 4096, comes back unchanged.
int ResolveBySize(uint64_t size, uint32_t bytesPerSector, int formatType);

// The type's formulas for one cluster size, with the FAT grown (when the formula falls short)
// until it has an entry for every cluster the boot sector implies. False when the volume is
// too small or too large for the layout, or the sector size is not a power of two from 512 to 4096.
bool Compute(int type, uint64_t size, uint32_t bytesPerSector, uint32_t sectorsPerCluster, FatGeometry* geometry);

// Clusters a reader counts from the boot-sector fields.
uint32_t CountClusters(const FatGeometry& geometry);

// The FAT type readers infer from a cluster count.
int TypeOfClusterCount(uint32_t clusters);

// True when readers take the volume for the type it is written as, and every cluster has a FAT entry.
bool IsReadable(const FatGeometry& geometry);

// The layout written for a FormatType (1, 2, 3, 0x10000 or 0x20000). False, with nothing
// chosen, for any other value, a sector size other than 512, or a size no layout of the
// allowed types fits.
bool Choose(uint64_t size, uint32_t bytesPerSector, int formatType, FatGeometry* geometry);

}  // namespace UFatGeometry
