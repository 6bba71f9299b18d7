#pragma once
// The FAT build shared by FormatFat12, FormatFat16 and FormatFat32 (declared in FormatObject.h):
// one routine driven by a table of per-type callbacks.
#include <cstddef>
#include <cstdint>

#include "utility/disk/FatGeometry.h"
#include "utility/disk/FormatObject.h"

namespace UFatBuilder {

struct Callbacks {
    // The layout for the volume in params; false when none fits.
    bool (*geometry)(const FormatParams& params, FatGeometry* geometry);
    // Fills the zeroed boot-region buffer of bootRegionBytes.
    void (*makeBootRegion)(const FormatParams& params, const FatGeometry& geometry, uint8_t* region);
    // Writes the reserved sectors from the boot region; returns a FormatError value.
    int (*writeBootRegion)(const FormatParams& params, const FormatIo& io, const FatGeometry& geometry,
                           const uint8_t* region);
    // Copies the bytes that open each FAT into head; returns their count (at most 16).
    size_t (*fatHead)(const FatGeometry& geometry, uint8_t* head);
    uint32_t (*reservedSectors)();
    size_t bootRegionBytes;
};

// Computes the geometry, writes the boot region, both FATs and the empty root directory;
// returns a FormatError value.
int Build(FormatParams* params, const FormatIo* io, const Callbacks& callbacks);

}  // namespace UFatBuilder
