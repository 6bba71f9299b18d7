#pragma once
// The cluster bitmap of a volume being built, and the allocator that hands out its
// free clusters outside the MFT zone.
#include "utility/disk/NtfsRunList.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

class CNtfsClusterMap {
public:
    // Granularity of the record of changed bitmap bytes.
    static constexpr uint64_t kTrackedBytes = 65536;

    // bitmapBytes (at least clusters / 8 rounded up) is the size of $Bitmap's data; the
    // bits past the last cluster are set. zoneEnd is the first cluster after the MFT zone.
    // Throws std::bad_alloc when the bitmap does not fit in memory.
    CNtfsClusterMap(uint64_t clusters, uint64_t bitmapBytes, uint64_t zoneEnd);

    void MarkUsed(uint64_t lcn, uint64_t count);
    bool IsUsed(uint64_t lcn) const;
    uint64_t UsedClusters() const;

    // Gives count free clusters to runs, scanning from the zone end; when the volume end
    // comes first the zone end is halved and the scan repeated. False when the clusters
    // cannot be found.
    bool Allocate(uint64_t count, CNtfsRunList& runs);

    uint64_t ZoneEnd() const { return m_zoneEnd; }
    const uint8_t* Bitmap() const { return m_bitmap.get(); }
    uint64_t BitmapBytes() const { return m_bytes; }
    // True when bytes offset..offset+length-1 of the bitmap were never changed (so are zero).
    bool IsUntouched(uint64_t offset, uint64_t length) const;

private:
    struct Free {
        void operator()(uint8_t* p) const { std::free(p); }
    };

    void Touch(uint64_t firstByte, uint64_t lastByte);

    uint64_t m_clusters;
    uint64_t m_zoneEnd;
    uint64_t m_bytes;
    std::vector<bool> m_touched;  // per kTrackedBytes of the bitmap
    // Zeroed by calloc: the pages of a large, mostly free bitmap are never touched.
    std::unique_ptr<uint8_t, Free> m_bitmap;
};
