#include "utility/disk/NtfsLayout.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kMiB = 1ull << 20;
constexpr uint64_t kGiB = 1ull << 30;

TEST(NtfsLayout, OneGibibyteDiskHasTheDocumentedFigures) {
    CNtfsLayout L;
    ASSERT_TRUE(L.Compute(kGiB, 512));
    EXPECT_EQ(2097152u, L.imageSectors);
    EXPECT_EQ(2097151u, L.volumeSectors);
    EXPECT_EQ(4096u, L.clusterSize);
    EXPECT_EQ(262143u, L.clusters);
    EXPECT_EQ(2u, L.bootClusters);
    EXPECT_EQ(2u, L.mftBitmapLcn);
    EXPECT_EQ(4u, L.mftLcn);
    EXPECT_EQ(7u, L.mftClusters);
    EXPECT_EQ(131071u, L.mirrorLcn);
    EXPECT_EQ(1u, L.mirrorClusters);
    EXPECT_EQ(4u, L.mirrorRecords);
    EXPECT_EQ(131072u, L.logLcn);
    EXPECT_EQ(5365760u, L.logSize);
    EXPECT_EQ(4u + 262143u / 8, L.zoneEnd);
    EXPECT_EQ(1024u, L.recordSize);
    EXPECT_EQ(4096u, L.indexBlockSize);
    EXPECT_EQ(8u, L.mftBitmapBytes);
    EXPECT_EQ(32768u, L.clusterBitmapBytes);
    // The backup boot sector is the image's last sector, just past the volume.
    EXPECT_EQ(2097151ull * 512, L.backupBootOffset);
    EXPECT_EQ(512u, L.backupBootLength);
}

TEST(NtfsLayout, PartialMebibytesAreDropped) {
    CNtfsLayout whole, partial;
    ASSERT_TRUE(whole.Compute(kGiB, 512));
    ASSERT_TRUE(partial.Compute(kGiB + kMiB - 1, 512));
    EXPECT_EQ(whole.imageSectors, partial.imageSectors);
    EXPECT_EQ(whole.clusters, partial.clusters);
    EXPECT_EQ(whole.backupBootOffset, partial.backupBootOffset);
    EXPECT_EQ(0u, whole.endBootOffset);
    EXPECT_EQ(kGiB + kMiB - 512 - 512, partial.endBootOffset) << "the image's last whole sector";
}

TEST(NtfsLayout, VolumeMustExceedOneMebibyte) {
    CNtfsLayout L;
    EXPECT_FALSE(L.Compute(0, 512));
    EXPECT_FALSE(L.Compute(kMiB, 512));
    EXPECT_FALSE(L.Compute(2 * kMiB - 1, 512));
    ASSERT_TRUE(L.Compute(2 * kMiB, 512));
    EXPECT_EQ(511u, L.clusters);
    // The smallest volume still takes the log after the mirror, inside the volume.
    EXPECT_EQ(0x40000u, L.logSize);
    EXPECT_LE(L.logLcn + L.logSize / L.clusterSize, L.clusters);
    EXPECT_LE(L.mftLcn + L.mftClusters, L.mirrorLcn);
}

TEST(NtfsLayout, SectorSizeMustBeAPowerOfTwoFrom256To4096) {
    CNtfsLayout L;
    EXPECT_FALSE(L.Compute(kGiB, 128));
    EXPECT_FALSE(L.Compute(kGiB, 768));
    EXPECT_FALSE(L.Compute(kGiB, 8192));
    EXPECT_TRUE(L.Compute(kGiB, 256));
    EXPECT_TRUE(L.Compute(kGiB, 1024));
}

TEST(NtfsLayout, LargeSectorsCountTheImageInThoseSectors) {
    CNtfsLayout L;
    ASSERT_TRUE(L.Compute(64 * kMiB, 4096));
    EXPECT_EQ(16384u, L.imageSectors);
    EXPECT_EQ(16383u, L.volumeSectors);
    EXPECT_EQ(16383u, L.clusters);
    EXPECT_EQ(4096u, L.recordSize);
    EXPECT_EQ(4096u, L.indexBlockSize);
    EXPECT_EQ(27u, L.mftClusters);
    EXPECT_EQ(4u, L.mirrorClusters);
    EXPECT_EQ(64 * kMiB - 4096, L.backupBootOffset);
    EXPECT_EQ(4096u, L.backupBootLength);
}

TEST(NtfsLayout, LogSizeFollowsTheVolumeSizeTable) {
    const uint32_t c = 4096;
    EXPECT_EQ(0x40000u, CNtfsLayout::LogFileSizeFor(0x1FFFFF, c));
    EXPECT_EQ(0x80000u, CNtfsLayout::LogFileSizeFor(0x200000, c));
    EXPECT_EQ(0x80000u, CNtfsLayout::LogFileSizeFor(3999999, c));
    EXPECT_EQ(0x200000u, CNtfsLayout::LogFileSizeFor(4000000, c));
    EXPECT_EQ(0x200000u, CNtfsLayout::LogFileSizeFor(0xC800000, c));
    EXPECT_EQ(0xC800001ull / 200 / c * c, CNtfsLayout::LogFileSizeFor(0xC800001, c));
    EXPECT_EQ(0x2FFFFFFFFull / 200 / c * c, CNtfsLayout::LogFileSizeFor(0x2FFFFFFFF, c));
    EXPECT_EQ(0x4000000u, CNtfsLayout::LogFileSizeFor(0x300000000ull, c));
    EXPECT_EQ(0x4000000u, CNtfsLayout::LogFileSizeFor(1ull << 41, c));
}

TEST(NtfsLayout, ClustersGrowWhenTheCountWouldPass32Bits) {
    CNtfsLayout L;
    ASSERT_TRUE(L.Compute(16ull << 40, 512));  // 16 TiB less a sector: still 4 KiB
    EXPECT_EQ(4096u, L.clusterSize);
    EXPECT_LE(L.clusters, 0xFFFFFFFFull);
    ASSERT_TRUE(L.Compute(20ull << 40, 512));
    EXPECT_EQ(8192u, L.clusterSize);
    EXPECT_LE(L.clusters, 0xFFFFFFFFull);
    EXPECT_EQ(8u, L.mirrorRecords) << "the mirror fills its cluster";
    // Index blocks smaller than a cluster: the MFT still starts at byte 16384 or later.
    EXPECT_GE(L.mftLcn * L.clusterSize, 16384u);
    EXPECT_FALSE(L.Compute(300ull << 40, 512));  // would need clusters above 64 KiB
}

}  // namespace
