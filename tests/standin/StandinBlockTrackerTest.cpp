#include "standin/StandinBlockTracker.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

TEST(StandinBlockTracker, BlockSizeDividesTheDiskSoTheUnsavedFigureIsExact) {
    EXPECT_EQ(CStandinBlockTracker::BlockSizeFor(64ull << 20), 0x10000u);
    EXPECT_EQ(CStandinBlockTracker::BlockSizeFor(2097152000ull), 0x10000u);
    EXPECT_EQ(CStandinBlockTracker::BlockSizeFor(2097152000ull + 1048576), 0x10000u);
    EXPECT_EQ(CStandinBlockTracker::BlockSizeFor(2097152000ull + 4096), 4096u);
    EXPECT_EQ(CStandinBlockTracker::BlockSizeFor(512 * 3), 512u);
    EXPECT_EQ(CStandinBlockTracker::BlockSizeFor(1000), 0x10000u) << "no power of two from 512 divides it";
    // 512-byte blocks of a 2.5 TiB disk would not fit the 32-bit count.
    EXPECT_EQ(CStandinBlockTracker::BlockSizeFor((5ull << 40) / 2 + 512), 0x10000u);

    CStandinBlockTracker tracker(512 * 3);
    tracker.MarkAll();
    EXPECT_EQ(tracker.DirtyCount() * tracker.BlockSize(), 1536u) << "every dirty byte, and no more";
}

TEST(StandinBlockTracker, RangesMarkEveryBlockTheyTouchAndStopAtTheEnd) {
    CStandinBlockTracker tracker(10 * 4096, 4096);
    tracker.MarkRange(4095, 2);  // the last byte of block 0 and the first of block 1
    EXPECT_TRUE(tracker.IsDirty(0));
    EXPECT_TRUE(tracker.IsDirty(1));
    EXPECT_FALSE(tracker.IsDirty(2));
    EXPECT_EQ(tracker.DirtyCount(), 2u);
    tracker.MarkRange(4096, 4096);  // exactly block 1 again
    EXPECT_EQ(tracker.DirtyCount(), 2u);
    tracker.MarkRange(9 * 4096 + 100, 1u << 30);  // runs past the end
    EXPECT_TRUE(tracker.IsDirty(9));
    EXPECT_EQ(tracker.DirtyCount(), 3u);
    tracker.MarkRange(10 * 4096, 1);  // starts at the end
    tracker.MarkRange(0, 0);
    EXPECT_EQ(tracker.DirtyCount(), 3u);
    EXPECT_FALSE(tracker.IsDirty(10));
}

TEST(StandinBlockTracker, RunsAreTakenInOrderWithinTheLimitAndWrapRound) {
    CStandinBlockTracker tracker(200 * 512, 512);
    tracker.MarkBlocks(3, 5);    // 3..7
    tracker.MarkBlocks(70, 70);  // 70..139, across 64-bit words
    uint64_t first = 0, count = 0;
    ASSERT_TRUE(tracker.TakeRun(4, first, count));
    EXPECT_EQ(first, 3u);
    EXPECT_EQ(count, 4u);
    ASSERT_TRUE(tracker.TakeRun(100, first, count));
    EXPECT_EQ(first, 7u);
    EXPECT_EQ(count, 1u);
    tracker.MarkBlocks(0, 1);  // behind the cursor: found after the wrap
    ASSERT_TRUE(tracker.TakeRun(100, first, count));
    EXPECT_EQ(first, 70u);
    EXPECT_EQ(count, 70u);
    ASSERT_TRUE(tracker.TakeRun(100, first, count));
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(count, 1u);
    EXPECT_FALSE(tracker.TakeRun(100, first, count));
    EXPECT_EQ(tracker.DirtyCount(), 0u);
}

TEST(StandinBlockTracker, RandomMarksAndTakesMatchASetOfBlocks) {
    std::mt19937 random(7);
    const uint64_t blocks = 1000;
    CStandinBlockTracker tracker(blocks * 512 - 100, 512);  // a partial last block
    ASSERT_EQ(tracker.BlockCount(), blocks);
    std::set<uint64_t> model;
    for (int step = 0; step < 20000; ++step) {
        if (random() % 3) {
            uint64_t offset = random() % (blocks * 512);
            uint64_t length = random() % 5000;
            tracker.MarkRange(offset, length);
            uint64_t end = std::min<uint64_t>(offset + length, tracker.TotalSize());
            if (length && offset < tracker.TotalSize())
                for (uint64_t b = offset / 512; b <= (end - 1) / 512; ++b) model.insert(b);
        } else {
            uint64_t first = 0, count = 0;
            bool took = tracker.TakeRun(1 + random() % 20, first, count);
            ASSERT_EQ(took, !model.empty());
            for (uint64_t b = first; took && b < first + count; ++b) ASSERT_EQ(model.erase(b), 1u) << b;
        }
        ASSERT_EQ(tracker.DirtyCount(), model.size());
    }
    uint64_t first = 0, count = 0;
    while (tracker.TakeRun(7, first, count)) {
        for (uint64_t b = first; b < first + count; ++b) ASSERT_EQ(model.erase(b), 1u);
    }
    EXPECT_TRUE(model.empty());
}
