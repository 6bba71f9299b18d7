#pragma once
// Front of the volume builders: resolves the FormatType and runs the matching builder.
#include <cstdint>

#include "utility/disk/FormatObject.h"

class CFormatter {
public:
    explicit CFormatter(CFormatObject* target) : m_target(target) {}

    // FormatType 1 FAT12, 2 FAT16, 3 FAT32, 4 NTFS, 0x10000 FAT12/16 and 0x20000 FAT12/16/32 by size.
    // On failure throws the CException an output operation caught (taken from the target),
    // otherwise the _FormatErr value.
    void Format(int formatType);

private:
    CFormatObject* m_target;
};

// The type Format writes for a FormatType and a volume of size bytes in 512-byte sectors:
// 1, 2 or 3 for the FAT types (the automatic ones resolved), 4 for NTFS, 0 when it refuses.
int ResolveFormatType(uint64_t size, int formatType);
