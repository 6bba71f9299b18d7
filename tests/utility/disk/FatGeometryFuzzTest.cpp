// Random volume sizes and format types through the resolution, the layout choice and the
// builders; run under the sanitizers it also catches overflow and out-of-bounds access.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "utility/disk/FatGeometry.h"
#include "utility/disk/FatReaderRule.h"
#include "utility/disk/Formatter.h"

namespace {
uint64_t Seed() {
    const char* text = std::getenv("VMX_FUZZ_SEED");
    return text ? std::strtoull(text, nullptr, 0) : 20240611;
}

// Sizes spread over every magnitude, with a bias to the borders of the cluster table and types.
uint64_t RandomSize(std::mt19937_64& random) {
    static const uint64_t borders[] = {2120704,   2124800,     0x2000000,   0x4000000,    0x8000000,    268669440,
                                       268931072, 0x200000000, 0x400000000, 0x1000000000, 0x4000000000, 2ull << 40};
    switch (random() % 4) {
        case 0:
            return random() >> (random() % 64);
        case 1:
            return (random() % (1ull << 42));
        case 2:
            return borders[random() % 12] + (random() % 8193) - 4096;
        default:
            return (random() % (4ull << 30)) & ~511ull;
    }
}

int RandomType(std::mt19937_64& random) {
    static const int types[] = {1, 2, 3, 0x10000, 0x20000, 0, 4, 5, -1, 0x30000, 0x10001};
    return types[random() % 11];
}

// Counts the writes and checks that they are contiguous, in order and within the volume.
class CountingTarget : public CFormatObject {
public:
    explicit CountingTarget(uint64_t size) { m_params.size = size; }
    bool Open() override { return true; }
    void Close() override {}
    int64_t WriteAt(const void*, uint64_t offset, uint64_t length) override {
        if (offset != end || length == 0 || offset + length > m_params.size) gaps++;
        end = offset + length;
        return int64_t(length);
    }
    uint64_t end = 0;
    int gaps = 0;
};
}  // namespace

TEST(FatGeometryFuzz, RandomSizesAndTypesGiveAcceptedLayoutsOrARefusal) {
    std::mt19937_64 random(Seed());
    int chosen = 0, refused = 0;
    for (int i = 0; i < 1000000; ++i) {
        const uint64_t size = RandomSize(random);
        const int formatType = RandomType(random);
        FatGeometry g;
        const bool ok = UFatGeometry::Choose(size, 512, formatType, &g);
        const int resolved = ResolveFormatType(size, formatType);
        if (!ok) {
            ++refused;
            ASSERT_EQ(resolved, formatType == 4 ? 4 : 0) << size << " " << formatType;
            continue;
        }
        ++chosen;
        ASSERT_EQ(resolved, g.type) << size << " " << formatType;
        ASSERT_EQ(FatReaderView::FromGeometry(g).Problem(g.type), "") << size << " " << formatType;
        ASSERT_EQ(g.totalSectors, size / 512) << size;
        ASSERT_TRUE(g.sectorsPerCluster && (g.sectorsPerCluster & (g.sectorsPerCluster - 1)) == 0) << size;
        ASSERT_TRUE(g.type == 3 || g.fatSectors <= 0xFFFF) << size;
        ASSERT_TRUE(formatType >= 0x10000 || formatType == g.type) << size;
        ASSERT_FALSE(formatType == 0x10000 && g.type == 3) << size;
        ASSERT_EQ(g.rootBytes, g.type == 3 ? g.sectorsPerCluster * 512u : 16384u) << size;
    }
    EXPECT_GT(chosen, 150000) << "too few sizes reach a layout";
    EXPECT_GT(refused, 150000);
}

TEST(FatGeometryFuzz, BuildersWriteOneContiguousRunOfMetadataWithinTheVolume) {
    std::mt19937_64 random(Seed() + 1);
    for (int i = 0; i < 4000; ++i) {
        const uint64_t size = RandomSize(random);
        const int formatType = RandomType(random);
        if (formatType == 4) continue;
        FatGeometry g;
        const bool ok = UFatGeometry::Choose(size, 512, formatType, &g);
        CountingTarget target(size);
        try {
            CFormatter(&target).Format(formatType);
            ASSERT_TRUE(ok) << size << " " << formatType;
        } catch (FormatError e) {
            ASSERT_FALSE(ok) << size << " " << formatType;
            ASSERT_EQ(e, FORMAT_ERR_PARAM);
            ASSERT_EQ(target.end, 0u) << "a refused format writes nothing";
            continue;
        }
        ASSERT_EQ(target.gaps, 0) << size << " " << formatType;
        const uint64_t rootEnd = (uint64_t(g.reservedSectors) + 2ull * g.fatSectors) * 512 + g.rootBytes;
        ASSERT_EQ(target.end, rootEnd) << size << " " << formatType;
    }
}
