#include "utility/disk/NtfsLayout.h"

#include "utility/disk/NtfsTypes.h"

#include <algorithm>

namespace {

constexpr uint64_t kMiB = 0x100000;
constexpr uint32_t kBootBytes = 8192;
constexpr uint32_t kMftStartBytes = 16384;
constexpr uint32_t kMirrorRecords = 4;
constexpr uint64_t kMinimumLog = 0x40000;

bool IsPowerOfTwo(uint64_t v) { return v != 0 && (v & (v - 1)) == 0; }

}  // namespace

uint64_t CNtfsLayout::LogFileSizeFor(uint64_t volumeBytes, uint32_t clusterSize) {
    if (volumeBytes <= 0x1FFFFF) return 0x40000;
    if (volumeBytes <= 3999999) return 0x80000;
    if (volumeBytes <= 0xC800000) return 0x200000;
    if (volumeBytes < 0x300000000ull) return volumeBytes / 200 / clusterSize * clusterSize;
    return 0x4000000;
}

bool CNtfsLayout::Compute(uint64_t imageSize, uint32_t sectorSizeIn) {
    sectorSize = sectorSizeIn;
    if (sectorSize < 256 || sectorSize > 4096 || !IsPowerOfTwo(sectorSize)) return false;

    imageSectors = imageSize / kMiB * kMiB / sectorSize;
    if (imageSectors < 2) return false;
    volumeSectors = imageSectors - 1;
    const uint64_t volumeBytes = volumeSectors * sectorSize;
    if (volumeBytes <= 0xFFFFF) return false;

    clusterSize = std::max<uint32_t>(4096, sectorSize);
    while (volumeBytes / clusterSize > 0xFFFFFFFFull && clusterSize <= 65536) clusterSize *= 2;
    if (!IsPowerOfTwo(clusterSize) || clusterSize < sectorSize || clusterSize > 128ull * sectorSize ||
        clusterSize > 65536)
        return false;
    clusters = volumeBytes / clusterSize;

    recordSize = std::max<uint32_t>(1024, sectorSize);
    indexBlockSize = std::max<uint32_t>(4096, sectorSize);

    bootClusters = ClustersFor(kBootBytes);
    mftBitmapLcn = bootClusters;
    mftLcn = std::max<uint64_t>(mftBitmapLcn + 1, ClustersFor(kMftStartBytes));
    mftClusters = ClustersFor(static_cast<uint64_t>(UNtfsTypes::SYSTEM_RECORDS) * recordSize);
    zoneEnd = mftLcn + clusters / 8;

    mirrorLcn = volumeBytes / 2 / clusterSize;
    mirrorClusters = ClustersFor(static_cast<uint64_t>(kMirrorRecords) * recordSize);
    mirrorRecords = static_cast<uint32_t>(mirrorClusters * clusterSize / recordSize);
    if (mftLcn + mftClusters > mirrorLcn) return false;

    logLcn = mirrorLcn + mirrorClusters;
    uint64_t log = LogFileSizeFor(clusters * clusterSize, clusterSize);
    while (log > 0 && logLcn + ClustersFor(log) > clusters) log /= 2;
    logSize = ClustersFor(log) * clusterSize;
    if (logSize < kMinimumLog || logLcn + logSize / clusterSize > clusters) return false;

    backupBootLength = std::min<uint32_t>(std::max<uint32_t>(512, sectorSize), kBootBytes);
    backupBootOffset = imageSectors * sectorSize - std::max<uint32_t>(512, sectorSize);
    const uint64_t lastSector = imageSize / sectorSize * sectorSize - std::max<uint32_t>(512, sectorSize);
    endBootOffset = lastSector > backupBootOffset ? lastSector : 0;

    mftBitmapBytes = ((UNtfsTypes::SYSTEM_RECORDS + 7) / 8 + 7) & ~7u;
    clusterBitmapBytes = ((clusters + 7) / 8 + 7) & ~7ull;
    return true;
}
