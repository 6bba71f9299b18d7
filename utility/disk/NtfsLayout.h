#pragma once
// The geometry of an NTFS volume: sizes of its units and where the fixed system
// streams lie, derived from the image size and the sector size.
#include <cstdint>

class CNtfsLayout {
public:
    // Derives every figure below; false when no valid volume fits (the figures are then
    // unspecified).
    bool Compute(uint64_t imageSize, uint32_t sectorSize);

    // $LogFile size for a volume of the given size, before it is fitted into the volume.
    static uint64_t LogFileSizeFor(uint64_t volumeBytes, uint32_t clusterSize);

    uint64_t ClusterOffset(uint64_t lcn) const { return lcn * clusterSize; }
    uint64_t ClustersFor(uint64_t bytes) const { return (bytes + clusterSize - 1) / clusterSize; }

    uint32_t sectorSize = 0;
    uint32_t clusterSize = 0;
    uint32_t recordSize = 0;
    uint32_t indexBlockSize = 0;

    uint64_t imageSectors = 0;   // whole MiB of the image, in sectors
    uint64_t volumeSectors = 0;  // less the last one, kept for the backup boot sector
    uint64_t clusters = 0;

    uint64_t bootClusters = 0;  // $Boot at LCN 0
    uint64_t mftBitmapLcn = 0;  // one cluster
    uint64_t mftLcn = 0;
    uint64_t mftClusters = 0;
    uint64_t mirrorLcn = 0;
    uint64_t mirrorClusters = 0;
    uint32_t mirrorRecords = 0;  // the first records of the MFT, filling the mirror's clusters
    uint64_t logLcn = 0;
    uint64_t logSize = 0;  // bytes, a whole number of clusters
    uint64_t zoneEnd = 0;  // first cluster past the MFT zone

    uint64_t backupBootOffset = 0;
    uint32_t backupBootLength = 0;
    // A second copy in the image's last sector when the image runs past the whole MiB
    // (tools look for the backup at the end of the device); 0 when there is none.
    uint64_t endBootOffset = 0;

    uint32_t mftBitmapBytes = 0;      // in use in the MFT bitmap
    uint64_t clusterBitmapBytes = 0;  // size of $Bitmap's data
};
