#include "utility/disk/NtfsClusterMap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

CNtfsClusterMap::CNtfsClusterMap(uint64_t clusters, uint64_t bitmapBytes, uint64_t zoneEnd)
    : m_clusters(clusters), m_zoneEnd(zoneEnd), m_bytes(std::max(bitmapBytes, (clusters + 7) / 8)) {
    if (static_cast<uint64_t>(static_cast<size_t>(m_bytes)) != m_bytes) throw std::bad_alloc();
    m_bitmap.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(m_bytes), 1)));
    if (!m_bitmap) throw std::bad_alloc();
    uint8_t* bitmap = m_bitmap.get();
    m_touched.assign((m_bytes + kTrackedBytes - 1) / kTrackedBytes, false);
    Touch(clusters / 8, m_bytes - 1);
    // Bits past the last cluster read as used.
    uint64_t lcn = clusters;
    while (lcn % 8 != 0 && lcn / 8 < m_bytes) {
        bitmap[lcn / 8] |= static_cast<uint8_t>(1u << (lcn % 8));
        ++lcn;
    }
    for (uint64_t i = lcn / 8; i < m_bytes; ++i) bitmap[i] = 0xFF;
}

void CNtfsClusterMap::Touch(uint64_t firstByte, uint64_t lastByte) {
    if (m_bytes == 0 || firstByte >= m_bytes) return;
    lastByte = std::min(lastByte, m_bytes - 1);
    for (uint64_t chunk = firstByte / kTrackedBytes; chunk <= lastByte / kTrackedBytes; ++chunk)
        m_touched[chunk] = true;
}

bool CNtfsClusterMap::IsUntouched(uint64_t offset, uint64_t length) const {
    if (length == 0) return true;
    const uint64_t last = std::min(offset + length - 1, m_bytes - 1);
    for (uint64_t chunk = offset / kTrackedBytes; chunk <= last / kTrackedBytes; ++chunk) {
        if (m_touched[chunk]) return false;
    }
    return true;
}

void CNtfsClusterMap::MarkUsed(uint64_t lcn, uint64_t count) {
    if (count == 0 || lcn >= m_clusters) return;
    const uint64_t end = std::min(lcn + count, m_clusters);
    Touch(lcn / 8, (end - 1) / 8);
    // Single bits up to a byte boundary, whole bytes, then the bits left in the last byte.
    uint8_t* bitmap = m_bitmap.get();
    uint64_t c = lcn;
    for (; c < end && c % 8 != 0; ++c) bitmap[c / 8] |= static_cast<uint8_t>(1u << (c % 8));
    if (end / 8 > c / 8) {
        std::memset(bitmap + c / 8, 0xFF, static_cast<size_t>(end / 8 - c / 8));
        c = end / 8 * 8;
    }
    for (; c < end; ++c) bitmap[c / 8] |= static_cast<uint8_t>(1u << (c % 8));
}

bool CNtfsClusterMap::IsUsed(uint64_t lcn) const {
    if (lcn >= m_clusters) return true;
    return (m_bitmap.get()[lcn / 8] >> (lcn % 8)) & 1;
}

uint64_t CNtfsClusterMap::UsedClusters() const {
    uint64_t n = 0;
    const uint64_t whole = m_clusters / 8;
    for (uint64_t i = 0; i < whole; ++i) {
        for (uint8_t b = m_bitmap.get()[i]; b != 0; b &= static_cast<uint8_t>(b - 1)) ++n;
    }
    for (uint64_t c = whole * 8; c < m_clusters; ++c) n += IsUsed(c) ? 1 : 0;
    return n;
}

bool CNtfsClusterMap::Allocate(uint64_t count, CNtfsRunList& runs) {
    uint64_t taken = 0;
    while (taken < count) {
        uint64_t lcn = m_zoneEnd;
        while (lcn < m_clusters && taken < count) {
            if (lcn % 8 == 0 && m_bitmap.get()[lcn / 8] == 0xFF) {
                lcn += 8;
                continue;
            }
            if (!IsUsed(lcn)) {
                MarkUsed(lcn, 1);
                runs.Append(lcn, 1);
                ++taken;
            }
            ++lcn;
        }
        if (taken < count) {
            m_zoneEnd /= 2;
            if (m_zoneEnd < 2) return false;
        }
    }
    return true;
}
