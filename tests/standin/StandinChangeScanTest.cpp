#include "standin/StandinChangeScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "standin/StandinBlockTracker.h"

namespace {

// A disk in memory with random bytes; counts the reads and can fail from an offset on.
struct CMemoryDisk {
    std::vector<uint8_t> bytes;
    uint64_t reads = 0;
    uint64_t failFrom = UINT64_MAX;

    explicit CMemoryDisk(size_t size) : bytes(size) {
        uint32_t x = 12345;
        for (auto& b : bytes) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16);
    }
    CStandinChangeScan::Reader Reader() {
        return [this](void* buffer, uint64_t offset, uint32_t length) -> uint32_t {
            ++reads;
            if (offset + length > bytes.size()) return 87;
            if (offset + length > failFrom) return 1117;
            std::memcpy(buffer, bytes.data() + offset, length);
            return 0;
        };
    }
};

std::set<uint64_t> DirtyBlocks(const CStandinBlockTracker& tracker) {
    std::set<uint64_t> dirty;
    for (uint64_t b = 0; b < tracker.BlockCount(); ++b)
        if (tracker.IsDirty(b)) dirty.insert(b);
    return dirty;
}

}  // namespace

TEST(StandinChangeScan, ScansMarkExactlyTheBlocksThatDifferFromTheBaseline) {
    const uint64_t kChunk = CStandinChangeScan::kChunkBytes;
    struct Case {
        const char* name;
        uint64_t size;
        uint32_t blockSize;
        std::vector<uint64_t> flips;   // bytes inverted after the baseline
        std::vector<uint64_t> before;  // blocks dirty before the scan
        std::set<uint64_t> dirty;
        uint64_t changed, newlyDirty;
        std::vector<uint64_t> zeroed = {};  // blocks made all zero after the baseline
    } cases[] = {
        {"nothing changed", 64 * 4096, 4096, {}, {}, {}, 0, 0},
        {"first byte", 64 * 4096, 4096, {0}, {}, {0}, 1, 1},
        {"last byte of the last block", 64 * 4096, 4096, {64 * 4096 - 1}, {}, {63}, 1, 1},
        {"partial last block", 10 * 4096 + 1000, 4096, {10 * 4096 + 999}, {}, {10}, 1, 1},
        {"both sides of a block edge", 64 * 4096, 4096, {4095, 4096}, {}, {0, 1}, 2, 1 + 1},
        {"changed and restored", 64 * 4096, 4096, {5000, 5000}, {}, {}, 0, 0},
        {"blocks made all zero", 10 * 4096 + 1000, 4096, {}, {}, {2, 10}, 2, 2, {2, 10}},
        {"dirty blocks stay dirty", 64 * 4096, 4096, {}, {3, 40}, {3, 40}, 0, 0},
        {"a change in a dirty block", 64 * 4096, 4096, {3 * 4096 + 7}, {3}, {3}, 1, 0},
        {"both sides of a chunk edge",
         kChunk + 1536,
         512,
         {kChunk - 1, kChunk},
         {},
         {kChunk / 512 - 1, kChunk / 512},
         2,
         2},
        {"last block of a second chunk", kChunk + 1536, 512, {kChunk + 1535}, {}, {kChunk / 512 + 2}, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMemoryDisk disk(static_cast<size_t>(c.size));
        CStandinChangeScan scan(c.size, c.blockSize);
        CStandinBlockTracker tracker(c.size, c.blockSize);
        ASSERT_EQ(scan.Baseline(disk.Reader()), 0u);
        for (uint64_t offset : c.flips) disk.bytes[offset] ^= 0xFF;
        for (uint64_t block : c.zeroed)
            std::fill(disk.bytes.begin() + block * c.blockSize,
                      disk.bytes.begin() + std::min<uint64_t>(disk.bytes.size(), (block + 1) * c.blockSize), 0);
        for (uint64_t block : c.before) tracker.MarkBlocks(block, 1);
        CStandinChangeScan::Result result = scan.Scan(disk.Reader(), tracker);
        EXPECT_EQ(result.error, 0u);
        EXPECT_FALSE(result.skipped);
        EXPECT_EQ(result.changed, c.changed);
        EXPECT_EQ(result.newlyDirty, c.newlyDirty);
        EXPECT_EQ(DirtyBlocks(tracker), c.dirty);
    }
    // A new disk, never read: zeros everywhere are its baseline, a partial last block included.
    CStandinChangeScan scan(10 * 4096 + 1000, 4096);
    CStandinBlockTracker tracker(10 * 4096 + 1000, 4096);
    std::vector<uint8_t> zeros(10 * 4096 + 1000, 0);
    zeros[10 * 4096 + 999] = 1;
    auto reader = [&](void* buffer, uint64_t offset, uint32_t length) -> uint32_t {
        std::memcpy(buffer, zeros.data() + offset, length);
        return 0;
    };
    EXPECT_EQ(scan.Scan(reader, tracker).changed, 1u);
    zeros[10 * 4096 + 999] = 0;
    EXPECT_EQ(scan.Scan(reader, tracker).changed, 0u);
}

TEST(StandinChangeScan, SavedBytesBecomeTheBaselineOfTheBlocksTheyCover) {
    struct Case {
        const char* name;
        uint64_t savedFrom, savedLength;  // bytes noted as saved, from block 2
        bool changedAfterRead;            // block 3 written again after it was read for saving
        std::set<uint64_t> dirty;
    } cases[] = {
        {"saved as they are", 2 * 512, 2 * 512, false, {}},
        {"block changed after its read", 2 * 512, 2 * 512, true, {3}},
        {"last block covered in part", 2 * 512, 512 + 100, false, {3}},
        {"run reaching past the end", 2 * 512, 8 * 512, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMemoryDisk disk(4 * 512);
        CStandinChangeScan scan(disk.bytes.size(), 512);
        CStandinBlockTracker tracker(disk.bytes.size(), 512);
        ASSERT_EQ(scan.Baseline(disk.Reader()), 0u);
        disk.bytes[2 * 512] ^= 1;
        disk.bytes[3 * 512 + 9] ^= 1;
        std::vector<uint8_t> saved(disk.bytes.begin() + 2 * 512, disk.bytes.end());
        saved.resize(static_cast<size_t>(c.savedLength), 0);
        if (c.changedAfterRead) disk.bytes[3 * 512 + 9] ^= 2;
        scan.NoteSaved(2, saved.data(), saved.size());
        scan.Scan(disk.Reader(), tracker);
        EXPECT_EQ(DirtyBlocks(tracker), c.dirty);
    }
}

TEST(StandinChangeScan, TheGateSkipsOnlyWhenTheLastScanStartedWellAfterTheUnchangedStamp) {
    const uint64_t kMs = 10000, kSettle = CStandinChangeScan::kSettleTicks, t = 1000000 * kMs;
    struct Case {
        const char* name;
        bool scanned;
        uint64_t scannedModified, started, modified;
        bool needed;
    } cases[] = {
        {"never scanned", false, 0, 0, t, true},
        {"unchanged, started a second after", true, t, t + 1000 * kMs, t, false},
        {"unchanged, started in the stamp's tick", true, t, t + 1 * kMs, t, true},
        {"unchanged, started just the settle time after", true, t, t + kSettle, t, true},
        {"unchanged, started past the settle time", true, t, t + kSettle + 1, t, false},
        {"stamp moved on", true, t, t + 1000 * kMs, t + 1, true},
        {"stamp moved back", true, t, t + 1000 * kMs, t - 1, true},
        {"started before the stamp (clock set back)", true, t, t - 1000 * kMs, t, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMemoryDisk disk(8 * 512);
        CStandinChangeScan scan(disk.bytes.size(), 512);
        CStandinBlockTracker tracker(disk.bytes.size(), 512);
        ASSERT_EQ(scan.Baseline(disk.Reader()), 0u);
        disk.reads = 0;
        if (c.scanned) scan.NoteScanned(c.scannedModified, c.started);
        // A write the gate lets through is found; a skipped poll reads nothing.
        disk.bytes[700] ^= 1;
        CStandinChangeScan::Result result = scan.Scan(disk.Reader(), tracker, c.modified, t + 2000 * kMs);
        EXPECT_EQ(result.skipped, !c.needed);
        EXPECT_EQ(disk.reads, c.needed ? 1u : 0u);
        EXPECT_EQ(tracker.DirtyCount(), c.needed ? 1u : 0u);
        // The scan it made is recorded: the same stamp, long before, is skipped next.
        EXPECT_FALSE(scan.NeedsScan(c.modified));
    }
}

TEST(StandinChangeScan, AReadErrorStopsTheScanAndIsNotRecordedByTheGate) {
    const uint64_t kChunk = CStandinChangeScan::kChunkBytes;
    CMemoryDisk disk(static_cast<size_t>(2 * kChunk));
    CStandinChangeScan scan(disk.bytes.size(), 0x10000);
    CStandinBlockTracker tracker(disk.bytes.size(), 0x10000);
    ASSERT_EQ(scan.Baseline(disk.Reader()), 0u);
    disk.bytes[0] ^= 1;
    disk.bytes[kChunk + 5] ^= 1;
    disk.failFrom = kChunk + 1;
    CStandinChangeScan::Result result = scan.Scan(disk.Reader(), tracker, 1, 1 + 100000000);
    EXPECT_EQ(result.error, 1117u);
    EXPECT_EQ(DirtyBlocks(tracker), std::set<uint64_t>{0}) << "what was read before the error is marked";
    EXPECT_TRUE(scan.NeedsScan(1));

    CStandinBlockTracker other(disk.bytes.size(), 4096);
    EXPECT_EQ(scan.Scan(disk.Reader(), other).error, CStandinChangeScan::kErrorGeometry);
}

TEST(StandinChangeScan, EverySingleBitFlipAndEveryLengthHasItsOwnDigest) {
    std::vector<uint8_t> block(512 + 7, 0);
    std::set<uint64_t> seen;
    for (size_t length = 0; length <= block.size(); ++length)
        seen.insert(CStandinChangeScan::Digest(block.data(), length));
    for (size_t bit = 0; bit < block.size() * 8; ++bit) {
        block[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        seen.insert(CStandinChangeScan::Digest(block.data(), block.size()));
        block[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    }
    EXPECT_EQ(seen.size(), block.size() + 1 + block.size() * 8);
}
