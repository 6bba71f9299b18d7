#pragma once
// Which blocks of a disk hold data not yet in its image. Not locked: the disk that owns it
// serializes every call.
#include <cstdint>
#include <vector>

class CStandinBlockTracker {
public:
    static const uint32_t kLargestBlock = 0x10000;

    // The block size for a disk: the largest power of two from 512 to 64 KiB that divides the
    // size (so that block size x dirty blocks is exact), 64 KiB when none does or when smaller
    // blocks would number more than a 32-bit count.
    static uint32_t BlockSizeFor(uint64_t totalSize);

    explicit CStandinBlockTracker(uint64_t totalSize);
    CStandinBlockTracker(uint64_t totalSize, uint32_t blockSize);

    // Marks every block that the byte range touches; the range is cut at the end of the disk.
    void MarkRange(uint64_t offset, uint64_t length);
    void MarkBlocks(uint64_t first, uint64_t count);
    void MarkAll();
    void ClearAll();

    // Takes the first run of dirty blocks at or after the cursor (wrapping round to block 0),
    // at most maxBlocks long, clears it and moves the cursor past it. False when nothing is dirty.
    bool TakeRun(uint64_t maxBlocks, uint64_t& first, uint64_t& count);

    bool IsDirty(uint64_t block) const;
    uint64_t DirtyCount() const { return m_dirty; }
    uint32_t BlockSize() const { return m_blockSize; }
    uint64_t BlockCount() const { return m_blocks; }
    uint64_t TotalSize() const { return m_totalSize; }

private:
    // First dirty block at or after from, or m_blocks.
    uint64_t FindDirty(uint64_t from) const;
    void Set(uint64_t block);
    void Clear(uint64_t block);

    uint64_t m_totalSize;
    uint32_t m_blockSize;
    uint64_t m_blocks;
    uint64_t m_dirty = 0;
    uint64_t m_cursor = 0;
    std::vector<uint64_t> m_bits;
};
