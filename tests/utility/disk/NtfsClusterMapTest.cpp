#include "utility/disk/NtfsClusterMap.h"
#include "utility/disk/NtfsRunList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(NtfsRunList, EncodesRunsAsSignedDeltas) {
    CNtfsRunList runs;
    runs.Append(4, 7);
    EXPECT_EQ((Bytes{0x11, 0x07, 0x04, 0x00}), runs.Encode());

    CNtfsRunList far;
    far.Append(131072, 1310);  // 0x20000 clusters from the start: three offset bytes
    far.Append(200, 0x80);     // back down: delta -130872; 0x80 needs two length bytes
    EXPECT_EQ((Bytes{0x32, 0x1E, 0x05, 0x00, 0x00, 0x02, 0x32, 0x80, 0x00, 0xC8, 0x00, 0xFE, 0x00}), far.Encode());
}

TEST(NtfsRunList, AdjacentClustersExtendARunAndSparseRunsHaveNoOffset) {
    CNtfsRunList runs;
    runs.Append(10, 2);
    runs.Append(12, 3);
    runs.Append(20, 1);
    ASSERT_EQ(2u, runs.Runs().size());
    EXPECT_EQ(5u, runs.Runs()[0].length);
    EXPECT_EQ(6u, runs.Clusters());

    CNtfsRunList bad;
    bad.AppendSparse(262143);
    EXPECT_EQ((Bytes{0x03, 0xFF, 0xFF, 0x03, 0x00}), bad.Encode());
    EXPECT_EQ((Bytes{0x00}), CNtfsRunList().Encode());
}

TEST(NtfsClusterMap, BitsPastTheLastClusterAreSet) {
    CNtfsClusterMap map(13, 8, 4);
    ASSERT_EQ(8u, map.BitmapBytes());
    EXPECT_EQ((Bytes{0x00, 0xE0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), Bytes(map.Bitmap(), map.Bitmap() + 8));
    EXPECT_EQ(0u, map.UsedClusters());
    map.MarkUsed(0, 3);
    map.MarkUsed(12, 5);  // clipped at the end
    EXPECT_EQ(4u, map.UsedClusters());
    EXPECT_TRUE(map.IsUsed(12));
    EXPECT_TRUE(map.IsUsed(13));
}

TEST(NtfsClusterMap, MarkingSetsExactlyTheClustersOfTheRange) {
    // Within a byte, from and to byte boundaries, across several bytes, clipped at the end.
    const struct {
        uint64_t lcn, count;
    } cases[] = {{3, 2}, {7, 1}, {8, 8}, {0, 16}, {5, 20}, {1, 15}, {9, 0}, {16, 17}, {90, 50}, {0, 101}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.lcn) + "+" + std::to_string(c.count));
        CNtfsClusterMap map(101, 16, 50);
        map.MarkUsed(c.lcn, c.count);
        for (uint64_t lcn = 0; lcn < 128; ++lcn) {
            const bool used = lcn >= 101 || (lcn >= c.lcn && lcn < c.lcn + c.count);
            EXPECT_EQ(used, map.IsUsed(lcn)) << lcn;
            EXPECT_EQ(used, ((map.Bitmap()[lcn / 8] >> (lcn % 8)) & 1) != 0) << lcn;
        }
        EXPECT_EQ(std::min<uint64_t>(c.count, 101 - c.lcn), map.UsedClusters());
    }
}

TEST(NtfsClusterMap, RemembersWhichStretchesOfTheBitmapChanged) {
    const uint64_t unit = CNtfsClusterMap::kTrackedBytes;
    CNtfsClusterMap map(4 * unit * 8 - 3, 4 * unit, 2 * unit * 8);
    EXPECT_TRUE(map.IsUntouched(0, 3 * unit));
    EXPECT_FALSE(map.IsUntouched(4 * unit - 1, 1)) << "the bits past the end";
    map.MarkUsed(5, 3);
    EXPECT_FALSE(map.IsUntouched(0, 1));
    EXPECT_TRUE(map.IsUntouched(unit, 2 * unit));
    CNtfsRunList runs;
    ASSERT_TRUE(map.Allocate(1, runs));
    EXPECT_FALSE(map.IsUntouched(2 * unit, 1));
    EXPECT_TRUE(map.IsUntouched(unit, unit));
    EXPECT_FALSE(map.IsUntouched(unit, unit + 1));
}

TEST(NtfsClusterMap, AllocationStartsAtTheZoneEndAndSkipsUsedClusters) {
    CNtfsClusterMap map(64, 8, 20);
    map.MarkUsed(22, 2);
    CNtfsRunList runs;
    ASSERT_TRUE(map.Allocate(5, runs));
    ASSERT_EQ(2u, runs.Runs().size());
    EXPECT_EQ(20, runs.Runs()[0].lcn);
    EXPECT_EQ(2u, runs.Runs()[0].length);
    EXPECT_EQ(24, runs.Runs()[1].lcn);
    EXPECT_EQ(3u, runs.Runs()[1].length);
    EXPECT_EQ(7u, map.UsedClusters());
}

TEST(NtfsClusterMap, ZoneShrinksWhenTheRestIsFullAndAllocationCanFail) {
    CNtfsClusterMap map(64, 8, 40);
    map.MarkUsed(0, 4);
    map.MarkUsed(40, 24);
    CNtfsRunList runs;
    ASSERT_TRUE(map.Allocate(3, runs));
    EXPECT_EQ(20u, map.ZoneEnd());
    EXPECT_EQ(20, runs.Runs()[0].lcn);

    CNtfsRunList tooMany;
    EXPECT_FALSE(map.Allocate(64, tooMany));
    EXPECT_EQ(64u, map.UsedClusters()) << "everything free was handed out before failing";
}

}  // namespace
