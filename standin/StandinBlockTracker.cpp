#include "standin/StandinBlockTracker.h"

#include <algorithm>

uint32_t CStandinBlockTracker::BlockSizeFor(uint64_t totalSize) {
    for (uint32_t size = kLargestBlock; size >= 512; size /= 2) {
        if (totalSize % size == 0 && totalSize / size <= UINT32_MAX) return size;
    }
    return kLargestBlock;
}

CStandinBlockTracker::CStandinBlockTracker(uint64_t totalSize)
    : CStandinBlockTracker(totalSize, BlockSizeFor(totalSize)) {}

CStandinBlockTracker::CStandinBlockTracker(uint64_t totalSize, uint32_t blockSize)
    : m_totalSize(totalSize),
      m_blockSize(blockSize ? blockSize : kLargestBlock),
      m_blocks(totalSize / m_blockSize + (totalSize % m_blockSize ? 1 : 0)),
      m_bits(static_cast<size_t>((m_blocks + 63) / 64), 0) {}

bool CStandinBlockTracker::IsDirty(uint64_t block) const {
    return block < m_blocks && (m_bits[block / 64] >> (block % 64)) & 1;
}

void CStandinBlockTracker::Set(uint64_t block) {
    uint64_t& word = m_bits[block / 64];
    uint64_t bit = uint64_t(1) << (block % 64);
    if (!(word & bit)) {
        word |= bit;
        ++m_dirty;
    }
}

void CStandinBlockTracker::Clear(uint64_t block) {
    uint64_t& word = m_bits[block / 64];
    uint64_t bit = uint64_t(1) << (block % 64);
    if (word & bit) {
        word &= ~bit;
        --m_dirty;
    }
}

void CStandinBlockTracker::MarkRange(uint64_t offset, uint64_t length) {
    if (length == 0 || offset >= m_totalSize) return;
    uint64_t end = offset + std::min(length, m_totalSize - offset);
    uint64_t first = offset / m_blockSize;
    uint64_t last = (end - 1) / m_blockSize;
    MarkBlocks(first, last - first + 1);
}

void CStandinBlockTracker::MarkBlocks(uint64_t first, uint64_t count) {
    if (first >= m_blocks) return;
    count = std::min(count, m_blocks - first);
    for (uint64_t b = first; b < first + count; ++b) Set(b);
}

void CStandinBlockTracker::MarkAll() { MarkBlocks(0, m_blocks); }

void CStandinBlockTracker::ClearAll() {
    std::fill(m_bits.begin(), m_bits.end(), 0);
    m_dirty = 0;
}

uint64_t CStandinBlockTracker::FindDirty(uint64_t from) const {
    if (m_dirty == 0) return m_blocks;
    for (uint64_t word = from / 64; word < m_bits.size(); ++word) {
        uint64_t bits = m_bits[word];
        if (word == from / 64) bits &= ~uint64_t(0) << (from % 64);
        if (!bits) continue;
        unsigned low = 0;
        while (!((bits >> low) & 1)) ++low;
        uint64_t block = word * 64 + low;
        return block < m_blocks ? block : m_blocks;
    }
    return m_blocks;
}

bool CStandinBlockTracker::TakeRun(uint64_t maxBlocks, uint64_t& first, uint64_t& count) {
    if (m_dirty == 0 || maxBlocks == 0) return false;
    uint64_t start = m_cursor < m_blocks ? FindDirty(m_cursor) : m_blocks;
    if (start == m_blocks) start = FindDirty(0);
    if (start == m_blocks) return false;
    uint64_t n = 0;
    while (n < maxBlocks && start + n < m_blocks && IsDirty(start + n)) {
        Clear(start + n);
        ++n;
    }
    first = start;
    count = n;
    m_cursor = start + n;
    return true;
}
