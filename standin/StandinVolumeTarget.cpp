#include "standin/StandinVolumeTarget.h"

#include "standin/StandinRamFile.h"

CStandinVolumeTarget::CStandinVolumeTarget(CStandinRamFile& ram) : m_ram(ram) {
    m_params.position = 0;
    m_params.size = ram.Size();
    m_params.bytesPerSector = 512;
    m_params.label.clear();
}

bool CStandinVolumeTarget::Open() { return m_ram.IsOpen(); }

void CStandinVolumeTarget::Close() {}

int64_t CStandinVolumeTarget::WriteAt(const void* buffer, uint64_t offset, uint64_t length) {
    const BYTE* in = static_cast<const BYTE*>(buffer);
    uint64_t done = 0;
    while (done < length) {
        DWORD chunk = static_cast<DWORD>(length - done > 0x100000 ? 0x100000 : length - done);
        DWORD error = m_ram.WriteAt(in + done, offset + done, chunk);
        if (error != ERROR_SUCCESS) {
            if (!m_writeError) m_writeError = error;
            return -1;
        }
        done += chunk;
    }
    return static_cast<int64_t>(length);
}
