#pragma once
// How FAT readers see a volume: fields taken from a boot sector (or a geometry), the cluster
// count they derive, the type they infer from it, and whether the FAT covers every cluster.
#include <cstdint>
#include <string>

#include "utility/disk/FatGeometry.h"

struct FatReaderView {
    uint32_t bytesPerSector = 0, sectorsPerCluster = 0, reserved = 0, fats = 0, rootEntries = 0;
    uint32_t fatSectors = 0, totalSectors = 0;
    bool fat32Fields = false;  // 16-bit FAT size is 0: the FAT32 boot-sector layout

    static uint32_t Le(const uint8_t* p, int bytes) {
        uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
        return v;
    }
    static FatReaderView FromBootSector(const uint8_t* s) {
        FatReaderView v;
        v.bytesPerSector = Le(s + 11, 2);
        v.sectorsPerCluster = s[13];
        v.reserved = Le(s + 14, 2);
        v.fats = s[16];
        v.rootEntries = Le(s + 17, 2);
        v.totalSectors = Le(s + 19, 2) ? Le(s + 19, 2) : Le(s + 32, 4);
        v.fat32Fields = Le(s + 22, 2) == 0;
        v.fatSectors = v.fat32Fields ? Le(s + 36, 4) : Le(s + 22, 2);
        return v;
    }
    static FatReaderView FromGeometry(const FatGeometry& g) {
        FatReaderView v;
        v.bytesPerSector = g.bytesPerSector;
        v.sectorsPerCluster = g.sectorsPerCluster;
        v.reserved = g.reservedSectors;
        v.fats = g.fatCount;
        v.rootEntries = g.rootEntries;
        v.fatSectors = g.fatSectors;
        v.totalSectors = g.totalSectors;
        v.fat32Fields = g.type == FAT_TYPE_32;
        return v;
    }

    int64_t Clusters() const {
        int64_t rootSectors = (int64_t(rootEntries) * 32 + bytesPerSector - 1) / bytesPerSector;
        int64_t data = int64_t(totalSectors) - reserved - int64_t(fats) * fatSectors - rootSectors;
        return data / sectorsPerCluster;
    }
    // 1, 2 or 3 by the cluster count.
    int CountedType() const {
        int64_t n = Clusters();
        return n < 4085 ? 1 : n < 65525 ? 2 : 3;
    }
    int FatBits() const { return CountedType() == 1 ? 12 : CountedType() == 2 ? 16 : 32; }
    int64_t FatEntries() const { return int64_t(fatSectors) * bytesPerSector * 8 / FatBits(); }

    // Empty when a reader accepts the volume as type (1, 2, 3); otherwise what it objects to.
    std::string Problem(int type) const {
        if (sectorsPerCluster == 0 || bytesPerSector == 0) return "no cluster size";
        if (Clusters() < 1) return "no data cluster";
        if (CountedType() != type)
            return "counted as type " + std::to_string(CountedType()) + " with " + std::to_string(Clusters()) +
                   " clusters";
        if (fat32Fields != (type == 3)) return "boot-sector layout does not match the cluster count";
        if (Clusters() + 2 > FatEntries())
            return "FAT holds " + std::to_string(FatEntries()) + " entries for " + std::to_string(Clusters()) +
                   " clusters";
        if (type == 3 && Clusters() > 0x0FFFFFF5) return "too many FAT32 clusters";
        return std::string();
    }
};
