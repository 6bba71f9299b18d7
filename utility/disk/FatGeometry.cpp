#include "utility/disk/FatGeometry.h"

namespace UFatGeometry {
namespace {

const uint32_t kMaxSectorsPerCluster = 128;

struct TypeRules {
    uint32_t fatBits;
    uint32_t minClusters;
    uint32_t maxClusters;
};

const TypeRules* RulesOf(int type) {
    static const TypeRules fat12 = {12, 1, kMaxFat12Clusters};
    static const TypeRules fat16 = {16, kMaxFat12Clusters + 1, kMaxFat16Clusters};
    static const TypeRules fat32 = {32, kMaxFat16Clusters + 1, kMaxFat32Clusters};
    switch (type) {
        case FAT_TYPE_12:
            return &fat12;
        case FAT_TYPE_16:
            return &fat16;
        case FAT_TYPE_32:
            return &fat32;
        default:
            return nullptr;
    }
}

bool IsSectorSize(uint32_t bytesPerSector) {
    return bytesPerSector >= 512 && bytesPerSector <= 4096 && (bytesPerSector & (bytesPerSector - 1)) == 0;
}

bool IsClusterSize(uint32_t sectorsPerCluster) {
    return sectorsPerCluster != 0 && sectorsPerCluster <= kMaxSectorsPerCluster &&
           (sectorsPerCluster & (sectorsPerCluster - 1)) == 0;
}

// Sectors before the data area (reserved, both FATs, root directory) as readers add them up.
int64_t SectorsBeforeData(const FatGeometry& g) {
    int64_t rootSectors = (int64_t(g.rootEntries) * 32 + g.bytesPerSector - 1) / g.bytesPerSector;
    return int64_t(g.reservedSectors) + int64_t(g.fatCount) * g.fatSectors + rootSectors;
}

int64_t ReaderClusters(const FatGeometry& g) {
    return (int64_t(g.totalSectors) - SectorsBeforeData(g)) / g.sectorsPerCluster;
}

// Entries one FAT holds for data clusters (the first two entries are reserved).
int64_t FatCapacity(const FatGeometry& g, uint32_t fatBits) {
    return int64_t(g.fatSectors) * g.bytesPerSector * 8 / fatBits - 2;
}

bool IsLegal(int type, uint64_t size, uint32_t bytesPerSector, uint32_t sectorsPerCluster, FatGeometry* geometry) {
    FatGeometry g;
    if (!Compute(type, size, bytesPerSector, sectorsPerCluster, &g) || !IsReadable(g)) return false;
    *geometry = g;
    return true;
}

}  // namespace

uint8_t SectorsPerCluster(uint64_t size) {
    static const struct {
        uint64_t atLeast;
        uint8_t sectors;
    } table[] = {
        {0x4000000000ull, 128}, {0x1000000000ull, 64}, {0x400000000ull, 32}, {0x200000000ull, 16},
        {0x8000000ull, 8},      {0x4000000ull, 4},     {0x2000000ull, 2},
    };
    if (size == 0) return 0;
    for (const auto& row : table) {
        if (size >= row.atLeast) return row.sectors;
    }
    return 1;
}

int ResolveBySize(uint64_t size, uint32_t bytesPerSector, int formatType) {
    if ((formatType != FORMAT_TYPE_AUTO_FAT16 && formatType != FORMAT_TYPE_AUTO_FAT32) || !IsSectorSize(bytesPerSector))
        return formatType;
    const int64_t b = bytesPerSector;
    const int64_t rootAndReserve = (b + 16385) / b;
    // Beyond 2^40 sectors the estimate is far above both limits; capping keeps the product in range.
    const int64_t total = int64_t(size / bytesPerSector < (1ull << 40) ? size / bytesPerSector : (1ull << 40));
    const int64_t sectors = total - rootAndReserve - 1;
    const int64_t clusters = (b * sectors) / (b * SectorsPerCluster(size) + 3);
    if (formatType == FORMAT_TYPE_AUTO_FAT32 && clusters > 66038) return FAT_TYPE_32;
    return clusters > 4087 ? FAT_TYPE_16 : FAT_TYPE_12;
}

bool Compute(int type, uint64_t size, uint32_t bytesPerSector, uint32_t sectorsPerCluster, FatGeometry* geometry) {
    const TypeRules* rules = RulesOf(type);
    if (!rules || !geometry || !IsClusterSize(sectorsPerCluster) || !IsSectorSize(bytesPerSector)) return false;
    const uint64_t totalSectors = size / bytesPerSector;
    if (totalSectors > 0xFFFFFFFFull) return false;

    const int64_t b = bytesPerSector;
    const int64_t c = sectorsPerCluster;
    const int64_t t = int64_t(totalSectors);
    FatGeometry g;
    g.type = type;
    g.bytesPerSector = bytesPerSector;
    g.totalSectors = uint32_t(totalSectors);
    g.sectorsPerCluster = uint8_t(sectorsPerCluster);

    int64_t data, clusters, fatSectors;
    if (type == FAT_TYPE_32) {
        data = t - c * b - 32;
        clusters = (data * b) / (c * b + 4);
        fatSectors = (4 * clusters + b + 1) / b;
        g.rootEntries = 0;
        g.rootBytes = uint32_t(c * b);
        g.reservedSectors = 32;
    } else {
        data = t - (b + 16385) / b - 1;
        if (type == FAT_TYPE_12) {
            clusters = (data * b) / (c * b + 3);
            fatSectors = (b + (3 * clusters + 1) / 2 + 1) / b;
        } else {
            clusters = (data * b) / (c * b + 4);
            fatSectors = (2 * clusters + b + 1) / b;
        }
        g.rootEntries = 512;
        g.rootBytes = 16384;
        g.reservedSectors = 1;
    }
    if (data <= 0 || clusters <= 0) return false;
    g.dataSectors = uint32_t(data);
    g.clusters = uint32_t(clusters);
    g.fatSectors = uint32_t(fatSectors);

    // Readers size the data area from the boot sector, not from the formula's estimate; where
    // the formula's FAT is short of an entry for each of those clusters, grow it sector by sector.
    // Each sector adds at least 128 entries and removes at most 2 clusters, so this ends quickly.
    for (;;) {
        int64_t counted = ReaderClusters(g);
        if (counted <= 0) return false;
        if (counted <= FatCapacity(g, rules->fatBits)) break;
        ++g.fatSectors;
    }
    if (type != FAT_TYPE_32 && g.fatSectors > 0xFFFF) return false;  // 16-bit field
    *geometry = g;
    return true;
}

uint32_t CountClusters(const FatGeometry& g) {
    if (g.sectorsPerCluster == 0 || g.bytesPerSector == 0) return 0;
    int64_t counted = ReaderClusters(g);
    return counted > 0 ? uint32_t(counted) : 0;
}

int TypeOfClusterCount(uint32_t clusters) {
    if (clusters <= kMaxFat12Clusters) return FAT_TYPE_12;
    if (clusters <= kMaxFat16Clusters) return FAT_TYPE_16;
    return FAT_TYPE_32;
}

bool IsReadable(const FatGeometry& g) {
    const TypeRules* rules = RulesOf(g.type);
    if (!rules || g.sectorsPerCluster == 0 || g.bytesPerSector == 0) return false;
    int64_t counted = ReaderClusters(g);
    return counted >= rules->minClusters && counted <= rules->maxClusters && counted <= FatCapacity(g, rules->fatBits);
}

// Where the table and the formulas give a volume readers accept, it is written as they give it.
// Readers count clusters from the boot sector, (total - reserved - FATs x FAT sectors - root
// directory sectors) / sectors per cluster, and take fewer than 4085 for FAT12, fewer than 65525
// for FAT16 and the rest for FAT32; the FAT needs an entry for each of those clusters (Compute
// grows a FAT the formula makes too short). Where the table's layout falls outside its type's
// range, the nearest accepted layout is taken, the first found in this order:
//   1. the resolved type with the table's cluster size;
//   2. with the table's cluster size, the type readers would count that volume as, then the
//      other allowed types;
//   3. the resolved type, then the other allowed types, with the cluster size nearest the
//      table's: doubled while there are too many clusters, halved while too few;
//   4. otherwise the format is refused.
// The automatic types allow FAT12/16 (0x10000) or all three (0x20000); 1, 2 and 3 allow only
// themselves. Resolving an automatic type and then choosing for the resolved type therefore
// lands on the same layout.
bool Choose(uint64_t size, uint32_t bytesPerSector, int formatType, FatGeometry* geometry) {
    if (!geometry || bytesPerSector != kBytesPerSector) return false;
    int allowed[3];
    int count = 0;
    switch (formatType) {
        case FAT_TYPE_12:
        case FAT_TYPE_16:
        case FAT_TYPE_32:
            allowed[count++] = formatType;
            break;
        case FORMAT_TYPE_AUTO_FAT16:
        case FORMAT_TYPE_AUTO_FAT32:
            break;
        default:
            return false;
    }
    const uint32_t tableCluster = SectorsPerCluster(size);
    if (tableCluster == 0) return false;
    const int resolved = ResolveBySize(size, bytesPerSector, formatType);

    if (IsLegal(resolved, size, bytesPerSector, tableCluster, geometry)) return true;

    if (count == 0) {
        const int last = formatType == FORMAT_TYPE_AUTO_FAT32 ? FAT_TYPE_32 : FAT_TYPE_16;
        allowed[count++] = resolved;
        FatGeometry table;
        if (Compute(resolved, size, bytesPerSector, tableCluster, &table)) {
            int counted = TypeOfClusterCount(CountClusters(table));
            if (counted != resolved && counted <= last) allowed[count++] = counted;
        }
        for (int type = FAT_TYPE_12; type <= last; ++type) {
            bool listed = false;
            for (int i = 0; i < count; ++i) listed = listed || allowed[i] == type;
            if (!listed) allowed[count++] = type;
        }
        for (int i = 1; i < count; ++i) {
            if (IsLegal(allowed[i], size, bytesPerSector, tableCluster, geometry)) return true;
        }
    }

    for (int i = 0; i < count; ++i) {
        const int type = allowed[i];
        FatGeometry table;
        bool tooMany = Compute(type, size, bytesPerSector, tableCluster, &table) &&
                       CountClusters(table) > RulesOf(type)->maxClusters;
        for (uint32_t c = tooMany ? tableCluster * 2 : tableCluster / 2; IsClusterSize(c);
             c = tooMany ? c * 2 : c / 2) {
            if (IsLegal(type, size, bytesPerSector, c, geometry)) return true;
        }
    }
    return false;
}

}  // namespace UFatGeometry
