#pragma once
// Front of the volume builders: resolves the FormatType and runs the matching builder.
#include <cstdint>

#include "utility/disk/FormatObject.h"

class CFormatter {
public:
    // targetReadsZero: the target reads as zeros wherever nothing is written (pieces just
    // created), so the NTFS builder may leave stretches of zeros unwritten.
    explicit CFormatter(CFormatObject* target, bool targetReadsZero = false)
        : m_target(target), m_targetReadsZero(targetReadsZero) {}

    // FormatType 1 FAT12, 2 FAT16, 3 FAT32, 4 NTFS, 0x10000 FAT12/16 and 0x20000 FAT12/16/32 by size.
    // On failure throws the CException an output operation caught (taken from the target),
    // otherwise the FormatError value.
    void Format(int formatType);

private:
    CFormatObject* m_target;
    bool m_targetReadsZero;
};

// The type Format writes for a FormatType and a volume of size bytes in 512-byte sectors:
// 1, 2 or 3 for the FAT types (the automatic ones resolved), 4 for NTFS, 0 when it refuses.
int ResolveFormatType(uint64_t size, int formatType);
