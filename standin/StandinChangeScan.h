#pragma once
// Finds the blocks of a disk whose bytes differ from what was last saved to its image, for
// writes that reach the RAM file without passing through the stand-in. Keeps one 64-bit digest
// a block (the baseline: the block as last saved) and compares a fresh digest of every block
// with it. Not locked: the disk that owns it serializes every call, as for its block tracker.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class CStandinBlockTracker;

class CStandinChangeScan {
public:
    // Fills buffer with length bytes from offset of the disk; 0 or a Windows error code.
    using Reader = std::function<uint32_t(void* buffer, uint64_t offset, uint32_t length)>;

    // Bytes read at a time (a whole number of blocks of any tracker block size).
    static constexpr uint32_t kChunkBytes = 4u << 20;
    // How long after the RAM file's last change a scan must have started before an unchanged
    // modification time lets the next one be skipped, in 100 ns ticks (200 ms); see NeedsScan.
    static constexpr uint64_t kSettleTicks = 2000000;
    // Reported when the tracker passed to a scan is not one of this disk's size and block size.
    static constexpr uint32_t kErrorGeometry = 87;

    struct Result {
        uint32_t error = 0;       // the reader's error; the scan stopped there
        uint64_t changed = 0;     // blocks whose bytes differ from their baseline
        uint64_t newlyDirty = 0;  // of those, blocks the tracker did not hold yet
        bool skipped = false;     // the gate found nothing to do and nothing was read
    };

    // The digest of a block's bytes. A block changed in a way that keeps its digest is not
    // noticed (and not saved); for bytes that are not made to collide on purpose that happens
    // with a chance of about 2^-64 a comparison: even an 8 GiB disk of 64 KiB blocks scanned
    // every second for a year makes about 4e12 comparisons, a chance below 1e-6. A change inside
    // one of the four 8-byte lanes (every fourth word) is always seen: each step is a bijection
    // of the lane's state, and the lanes and the length enter the final mix bijectively.
    static uint64_t Digest(const void* bytes, size_t length);

    // Every block starts with the digest of zeros, what a new RAM file holds.
    CStandinChangeScan(uint64_t totalSize, uint32_t blockSize);

    // Reads the whole disk and makes its content the baseline of every block. On an error the
    // blocks before the failing chunk have their new baseline, the others keep theirs.
    uint32_t Baseline(const Reader& reader);
    // The same, and records the read as a scan for the gate (modified and now as for Scan).
    uint32_t Baseline(const Reader& reader, uint64_t modified, uint64_t now);

    // Re-reads the whole disk and marks in the tracker every block whose digest differs from its
    // baseline. Clears nothing: blocks dirty before stay dirty. The baseline is left as it is,
    // so a block changed and then restored before the scan is not dirty.
    Result Scan(const Reader& reader, CStandinBlockTracker& tracker);
    // Scan behind the gate: modified is the RAM file's modification time, read before now,
    // which is the time the scan starts (both in 100 ns ticks of one clock). Skipped when
    // NeedsScan says so; a scan that completes is recorded for the next call.
    Result Scan(const Reader& reader, CStandinBlockTracker& tracker, uint64_t modified, uint64_t now);
    // One stretch of blocks, for a caller that scans a chunk at a time under its disk's lock;
    // result.changed and newlyDirty are added to.
    void ScanBlocks(const Reader& reader, CStandinBlockTracker& tracker, uint64_t first, uint64_t count,
                    Result& result);

    // The gate. A scan is needed unless the last complete scan saw the same modification time
    // and started more than kSettleTicks after it. Time stamps are coarse (a few ms) and taken
    // when a write starts, before its bytes land: a write in the tick of the last scan's start
    // could keep the stamp the scan saw, so that stamp only counts once the scan began well
    // after it. Any write after such a scan started then carries a later stamp. Writes through
    // a mapping of the file do not move its stamp and are only found by an ungated scan.
    bool NeedsScan(uint64_t modified) const;
    // Records a complete scan that began at started having read the modification time first.
    void NoteScanned(uint64_t modified, uint64_t started);
    // Forgets the last scan: the next gated scan reads the disk.
    void ForgetScan() { m_scanned = false; }

    // The blocks from first on were written to the image as these bytes: they become their
    // baseline, so a block changed again after it was read for saving is found by the next scan.
    // A block the bytes cover only in part gets a baseline no whole block matches. Bytes past
    // the end of the disk are ignored.
    void NoteSaved(uint64_t firstBlock, const void* bytes, size_t length);

    uint64_t BlockCount() const { return m_digests.size(); }
    uint32_t BlockSize() const { return m_blockSize; }
    uint64_t TotalSize() const { return m_totalSize; }

private:
    uint32_t BlockLength(uint64_t block) const;
    uint64_t BlockDigest(uint64_t block, const unsigned char* bytes) const;
    // Reads blocks [first, first + count) a chunk at a time and hands each block's digest to
    // visit(block, digest). The reader's error, or 0.
    uint32_t ForEachDigest(const Reader& reader, uint64_t first, uint64_t count,
                           const std::function<void(uint64_t, uint64_t)>& visit);

    uint64_t m_totalSize;
    uint32_t m_blockSize;
    uint64_t m_zeroDigest = 0;      // of a whole block of zeros
    uint64_t m_zeroTailDigest = 0;  // of the last block, all zeros
    std::vector<uint64_t> m_digests;
    bool m_scanned = false;
    uint64_t m_scannedModified = 0;
    uint64_t m_scanStarted = 0;
};
