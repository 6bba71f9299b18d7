#include "utility/disk/FatGeometry.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "utility/disk/FatReaderRule.h"
#include "utility/disk/Formatter.h"

namespace {
const uint64_t MiB = 1ull << 20;
const uint64_t GiB = 1ull << 30;
const int kFormatTypes[] = {1, 2, 3, 0x10000, 0x20000};

// The table and formulas as written, with nothing mended, for comparison with what is chosen.
uint32_t TableCluster(uint64_t s) {
    return s >= 256 * GiB   ? 128
           : s >= 64 * GiB  ? 64
           : s >= 16 * GiB  ? 32
           : s >= 8 * GiB   ? 16
           : s >= 128 * MiB ? 8
           : s >= 64 * MiB  ? 4
           : s >= 32 * MiB  ? 2
                            : 1;
}
int TableType(uint64_t s, int formatType) {
    if (formatType < 0x10000) return formatType;
    int64_t l = int64_t(512 * (s / 512 - 34)) / (512 * TableCluster(s) + 3);
    if (formatType == 0x20000 && l > 66038) return 3;
    return l > 4087 ? 2 : 1;
}
FatReaderView TableView(uint64_t s, int type) {
    FatReaderView v;
    int64_t c = TableCluster(s), t = s / 512;
    int64_t d = type == 3 ? t - c * 512 - 32 : t - 34;
    int64_t n = d * 512 / (c * 512 + (type == 1 ? 3 : 4));
    v.fatSectors = uint32_t(type == 1 ? (512 + (3 * n + 1) / 2 + 1) / 512 : ((type == 2 ? 2 : 4) * n + 513) / 512);
    v.bytesPerSector = 512;
    v.sectorsPerCluster = uint32_t(c);
    v.reserved = type == 3 ? 32 : 1;
    v.fats = 2;
    v.rootEntries = type == 3 ? 0 : 512;
    v.totalSectors = uint32_t(t);
    v.fat32Fields = type == 3;
    return v;
}
bool Allows(int formatType, int type) {
    return formatType == type || (formatType == 0x10000 && type <= 2) || formatType == 0x20000;
}

// Checks one size and type against the readers' rule; returns a description of any fault.
std::string Fault(uint64_t size, int formatType) {
    std::ostringstream out;
    FatGeometry g;
    bool chosen = UFatGeometry::Choose(size, 512, formatType, &g);
    if (ResolveFormatType(size, formatType) != (chosen ? g.type : 0)) out << "resolve disagrees; ";
    if (!chosen) return out.str();
    FatReaderView v = FatReaderView::FromGeometry(g);
    std::string problem = v.Problem(g.type);
    if (!problem.empty()) out << problem << "; ";
    if (!Allows(formatType, g.type)) out << "type " << g.type << " not allowed; ";
    if (g.totalSectors != size / 512) out << "total sectors; ";
    int tableType = TableType(size, formatType);
    FatReaderView table = TableView(size, tableType);
    if (table.Problem(tableType).empty() &&
        (g.type != tableType || g.sectorsPerCluster != table.sectorsPerCluster || g.fatSectors != table.fatSectors))
        out << "a layout readers accept was changed; ";
    FatGeometry same;
    if (formatType >= 0x10000 && (!UFatGeometry::Choose(size, 512, g.type, &same) ||
                                  same.sectorsPerCluster != g.sectorsPerCluster || same.fatSectors != g.fatSectors))
        out << "the resolved type alone chooses differently; ";
    return out.str();
}

int CountFaults(uint64_t from, uint64_t to, uint64_t step, int formatType, std::string* first) {
    int faults = 0;
    for (uint64_t s = from; s <= to; s += step) {
        std::string fault = Fault(s, formatType);
        if (fault.empty()) continue;
        if (faults++ == 0) *first = std::to_string(s) + " bytes: " + fault;
    }
    return faults;
}
}  // namespace

TEST(FatGeometry, ClusterTableAndResolutionAtTheDocumentedPoints) {
    EXPECT_EQ(UFatGeometry::SectorsPerCluster(0), 0);
    const struct {
        uint64_t limit;
        int sectors;
    } rows[] = {{32 * MiB, 2},  {64 * MiB, 4},  {128 * MiB, 8},  {8 * GiB, 16},
                {16 * GiB, 32}, {64 * GiB, 64}, {256 * GiB, 128}};
    int below = 1;
    for (const auto& row : rows) {
        EXPECT_EQ(UFatGeometry::SectorsPerCluster(row.limit - 1), below) << row.limit;
        EXPECT_EQ(UFatGeometry::SectorsPerCluster(row.limit), row.sectors) << row.limit;
        below = row.sectors;
    }
    // 16 MiB: 32543 clusters by the FAT12 estimate, FAT16 for both automatic types.
    EXPECT_EQ(UFatGeometry::ResolveBySize(16 * MiB, 512, 0x10000), 2);
    EXPECT_EQ(UFatGeometry::ResolveBySize(16 * MiB, 512, 0x20000), 2);
    FatGeometry g;
    ASSERT_TRUE(UFatGeometry::Choose(16 * MiB, 512, 0x20000, &g));
    EXPECT_EQ(g.type, 2);
    EXPECT_EQ(g.sectorsPerCluster, 1);
    EXPECT_EQ(g.totalSectors, 32768u);
    EXPECT_EQ(g.dataSectors, 32734u);
    EXPECT_EQ(g.clusters, 32734u * 512 / 516);
    EXPECT_EQ(g.fatSectors, 127u) << "as mkfs.fat lays out 16 MiB";
    // 2 MiB with 0x10000: 4038 clusters by the estimate, FAT12.
    EXPECT_EQ(UFatGeometry::ResolveBySize(2 * MiB, 512, 0x10000), 1);
    ASSERT_TRUE(UFatGeometry::Choose(2 * MiB, 512, 0x10000, &g));
    EXPECT_EQ(g.type, 1);
    EXPECT_EQ(g.dataSectors, 4062u);
    // The estimate's limits: above 66038 FAT32 (0x20000 only), above 4087 FAT16.
    EXPECT_EQ(UFatGeometry::ResolveBySize(270 * MiB, 512, 0x20000), 3);
    EXPECT_EQ(UFatGeometry::ResolveBySize(270 * MiB, 512, 0x10000), 2);
    EXPECT_EQ(UFatGeometry::ResolveBySize(~0ull, 512, 0x20000), 3) << "no overflow at the largest size";
}

// Layouts read from the boot sectors of images that mkfs.fat (dosfstools 4.2) made with the type
// and cluster size chosen here and the options that give our layout: FAT12/16
// "-S 512 -f 2 -r 512 -a -R 1", FAT32 "-S 512 -f 2 -R 32 -a", on sparse files of the size.
TEST(FatGeometry, LayoutsAgreeWithMkfsFat) {
    const struct {
        uint64_t size;
        int formatType, type, sectorsPerCluster;
        uint32_t reserved, rootEntries, fatSectors, totalSectors;
    } cases[] = {
        {2 * MiB, 0x10000, 1, 1, 1, 512, 12, 4096},
        {2120704, 0x20000, 1, 2, 1, 512, 7, 4142},
        {2122752, 0x10000, 1, 2, 1, 512, 7, 4146},
        {16 * MiB, 0x20000, 2, 1, 1, 512, 127, 32768},
        {33 * MiB, 3, 3, 1, 32, 0, 520, 67584},
        {40 * MiB, 1, 1, 32, 1, 512, 8, 81920},
        {100 * MiB, 3, 3, 2, 32, 0, 794, 204800},
        {257 * MiB, 0x20000, 3, 8, 32, 0, 513, 526336},
        {268669440, 0x20000, 2, 16, 1, 512, 129, 524745},
        {300 * MiB, 0x10000, 2, 16, 1, 512, 150, 614400},
        {1024 * MiB, 0x20000, 3, 8, 32, 0, 2044, 2097152},
        {2048 * MiB, 3, 3, 8, 32, 0, 4088, 4194304},
        {4095 * MiB, 0x10000, 2, 128, 1, 512, 256, 8386560},
        {8 * GiB, 0x20000, 3, 16, 32, 0, 8185, 16777216},
        {64 * GiB, 0x20000, 3, 64, 32, 0, 16381, 134217728},
        {256 * GiB, 0x20000, 3, 128, 32, 0, 32765, 536870912},
    };
    for (const auto& c : cases) {
        FatGeometry g;
        ASSERT_TRUE(UFatGeometry::Choose(c.size, 512, c.formatType, &g)) << c.size;
        EXPECT_EQ(g.type, c.type) << c.size;
        EXPECT_EQ(g.sectorsPerCluster, c.sectorsPerCluster) << c.size;
        EXPECT_EQ(g.reservedSectors, c.reserved) << c.size;
        EXPECT_EQ(g.rootEntries, c.rootEntries) << c.size;
        EXPECT_EQ(g.fatSectors, c.fatSectors) << c.size;
        EXPECT_EQ(g.totalSectors, c.totalSectors) << c.size;
        EXPECT_EQ(g.fatCount, 2u) << c.size;
    }
}

TEST(FatGeometry, EveryWholeMebibyteUpTo4GiBGivesAVolumeReadersAccept) {
    for (int formatType : kFormatTypes) {
        std::string first;
        EXPECT_EQ(CountFaults(MiB, 4096 * MiB, MiB, formatType, &first), 0) << "type " << formatType << ", " << first;
    }
}

TEST(FatGeometry, EverySectorAroundTheTypeBordersGivesAVolumeReadersAccept) {
    for (int formatType : kFormatTypes) {
        std::string first;
        EXPECT_EQ(CountFaults(MiB, 4 * MiB, 512, formatType, &first), 0) << "type " << formatType << ", " << first;
        EXPECT_EQ(CountFaults(250 * MiB, 262 * MiB, 512, formatType, &first), 0)
            << "type " << formatType << ", " << first;
        for (uint64_t limit : {32 * MiB, 64 * MiB, 128 * MiB, 8 * GiB, 16 * GiB, 64 * GiB}) {
            for (uint64_t s : {limit - 512, limit - 1, limit, limit + 1, limit + 512})
                EXPECT_EQ(Fault(s, formatType), "") << "type " << formatType << ", " << s << " bytes";
        }
    }
}

TEST(FatGeometry, RefusesOnlyWhereNoLayoutOfTheRequestedTypesExists) {
    const struct {
        int formatType;
        std::set<uint64_t> refused;
    } cases[] = {{0x20000, {}}, {0x10000, {4096}}, {2, {1, 2, 4096}}};
    for (const auto& c : cases) {
        for (uint64_t m = 1; m <= 4096; ++m)
            EXPECT_EQ(ResolveFormatType(m * MiB, c.formatType) == 0, c.refused.count(m) == 1)
                << "type " << c.formatType << ", " << m << " MiB";
    }
    // FAT12 tops out at 4084 clusters of 64 KiB, FAT32 needs 65525 clusters of at least 512 bytes.
    EXPECT_NE(ResolveFormatType(255 * MiB, 1), 0);
    EXPECT_EQ(ResolveFormatType(256 * MiB, 1), 0);
    EXPECT_EQ(ResolveFormatType(32 * MiB, 3), 0);
    EXPECT_NE(ResolveFormatType(33 * MiB, 3), 0);
    for (int bad : {0, 5, 7, 0x30000, -1}) EXPECT_EQ(ResolveFormatType(16 * MiB, bad), 0) << bad;
    EXPECT_EQ(ResolveFormatType(16 * MiB, 4), 4);
    FatGeometry g;
    EXPECT_FALSE(UFatGeometry::Choose(0, 512, 0x20000, &g));
    EXPECT_FALSE(UFatGeometry::Choose(16 * 1024, 512, 0x20000, &g)) << "no room for a data cluster";
    EXPECT_FALSE(UFatGeometry::Choose(16 * MiB, 4096, 0x20000, &g)) << "sectors are 512 bytes";
    EXPECT_FALSE(UFatGeometry::Choose(2ull << 40, 512, 3, &g)) << "total sectors exceed the 32-bit field";
    ASSERT_TRUE(UFatGeometry::Choose((2ull << 40) - 512, 512, 0x20000, &g));
    EXPECT_EQ(g.totalSectors, 0xFFFFFFFFu);
    EXPECT_EQ(FatReaderView::FromGeometry(g).Problem(3), "");
}

TEST(FatGeometry, BordersTakeTheNearestLayoutReadersAccept) {
    const struct {
        uint64_t size;
        int formatType, type, sectorsPerCluster;
    } cases[] = {
        {257 * MiB, 0x20000, 3, 8},  // FAT16 would have 65723 clusters: FAT32 with the same clusters
        {258 * MiB, 0x20000, 3, 8},  {268669440, 0x20000, 2, 16},  // neither FAT16 nor FAT32 with 4 KiB clusters:
                                                                   // larger clusters
        {2120704, 0x20000, 1, 2},  // FAT12 with 4085+ clusters and FAT16 with fewer: FAT12, 1 KiB clusters
        {2122752, 0x10000, 1, 2},    {2124800, 0x10000, 2, 1},  // from here FAT16 with 512-byte clusters has 4085
        {300 * MiB, 0x10000, 2, 16}, {4095 * MiB, 0x10000, 2, 128}, {40 * MiB, 1, 1, 32}, {100 * MiB, 3, 3, 2},
        {33 * MiB, 3, 3, 1},         {1024 * MiB, 3, 3, 8},  // table kept, FAT grown to cover every cluster
    };
    for (const auto& c : cases) {
        FatGeometry g;
        ASSERT_TRUE(UFatGeometry::Choose(c.size, 512, c.formatType, &g)) << c.size;
        EXPECT_EQ(g.type, c.type) << c.size;
        EXPECT_EQ(g.sectorsPerCluster, c.sectorsPerCluster) << c.size;
    }
    // At 1 GiB the formula's FAT32 FAT is short of 255 entries; at 2 GiB it suffices and stays.
    FatGeometry g;
    ASSERT_TRUE(UFatGeometry::Choose(1024 * MiB, 512, 0x20000, &g));
    EXPECT_GT(g.fatSectors, TableView(1024 * MiB, 3).fatSectors);
    ASSERT_TRUE(UFatGeometry::Choose(2048 * MiB, 512, 0x20000, &g));
    EXPECT_EQ(g.fatSectors, TableView(2048 * MiB, 3).fatSectors);
    // Between 1 and 4 GiB only 257 and 258 MiB change type or cluster size for 0x20000.
    std::set<uint64_t> changed;
    for (uint64_t m = 1; m <= 4096; ++m) {
        ASSERT_TRUE(UFatGeometry::Choose(m * MiB, 512, 0x20000, &g));
        if (g.type != TableType(m * MiB, 0x20000) || g.sectorsPerCluster != TableCluster(m * MiB)) changed.insert(m);
    }
    EXPECT_EQ(changed, (std::set<uint64_t>{257, 258}));
}
