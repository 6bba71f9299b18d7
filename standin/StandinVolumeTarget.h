#pragma once
// The volume builders' output over a disk's RAM storage, for the empty volume of a disk
// without a backup image.
#include <windows.h>

#include <cstdint>

#include "utility/disk/FormatObject.h"

class CStandinRamFile;

class CStandinVolumeTarget : public CFormatObject {
public:
    explicit CStandinVolumeTarget(CStandinRamFile& ram);

    bool Open() override;
    void Close() override;
    int64_t WriteAt(const void* buffer, uint64_t offset, uint64_t length) override;

    // Windows error of the first failed write, 0 when none failed.
    DWORD WriteError() const { return m_writeError; }

private:
    CStandinRamFile& m_ram;
    DWORD m_writeError = 0;
};
