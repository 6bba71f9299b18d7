#include "utility/disk/Formatter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/Exception.h"
#include "framework/FakeClock.h"
#include "utility/disk/FatGeometry.h"
#include "utility/disk/FatReaderRule.h"

namespace {
const uint64_t MiB = 1ull << 20;
const uint64_t GiB = 1ull << 30;
const uint8_t kUntouched = 0xCC;

// A volume of any size that keeps only its first bytes (filled with kUntouched) and records
// every write; it can fail the write with a given index, with or without an exception.
class WindowTarget : public CFormatObject {
public:
    WindowTarget(uint64_t size, size_t window) : data(window, kUntouched) { m_params.size = size; }
    bool Open() override { return true; }
    void Close() override {}
    int64_t WriteAt(const void* buffer, uint64_t offset, uint64_t length) override {
        size_t index = writes.size();
        writes.push_back({offset, length});
        if (int(index) == failAt) {
            if (throwOnFailure) KeepCaughtException(failure = new CException);
            return shortWrite ? int64_t(length / 2) : -1;
        }
        end = std::max(end, offset + length);
        if (offset < data.size())
            std::memcpy(data.data() + offset, buffer, size_t(std::min<uint64_t>(length, data.size() - offset)));
        return int64_t(length);
    }
    uint32_t Le(size_t offset, int bytes) const { return FatReaderView::Le(data.data() + offset, bytes); }
    bool AllZero(size_t from, size_t to) const {
        return std::all_of(data.begin() + from, data.begin() + to, [](uint8_t b) { return b == 0; });
    }

    struct Write {
        uint64_t offset, length;
    };
    std::vector<uint8_t> data;
    std::vector<Write> writes;
    uint64_t end = 0;  // end of the furthest write
    int failAt = -1;
    bool throwOnFailure = true, shortWrite = false;
    CException* failure = nullptr;
};

class Formatter : public ::testing::Test {
protected:
    CFakeClock clock{0x123456789Aull};
};

// Expected FAT12/16 boot sector for a geometry, built field by field from the layout table.
std::vector<uint8_t> ExpectedFat1216BootSector(const FatGeometry& g, const char* label11) {
    std::vector<uint8_t> s(512, 0);
    auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) s[at + i] = uint8_t(value >> (8 * i));
    };
    s[0] = 0xEB, s[1] = 0x3C, s[2] = 0x90;
    std::memset(&s[3], ' ', 8);
    put(11, 512, 2), put(13, g.sectorsPerCluster, 1), put(14, 1, 2), put(16, 2, 1), put(17, 512, 2);
    bool small = g.totalSectors * 512ull < 0x2000000;
    put(19, small ? g.totalSectors : 0, 2), put(21, 0xF8, 1), put(22, g.fatSectors, 2);
    put(24, 1, 2), put(26, 1, 2), put(32, small ? 0 : g.totalSectors, 4);
    put(36, 0x80, 1), put(38, 0x29, 1), put(39, 0x3456789A, 4);
    std::memcpy(&s[43], label11, 11);
    std::memcpy(&s[54], g.type == 1 ? "FAT12   " : "FAT16   ", 8);
    s[510] = 0x55, s[511] = 0xAA;
    return s;
}
}  // namespace

TEST_F(Formatter, Fat12And16BootSectorFatHeadsAndRootDirectoryAreExact) {
    const struct {
        uint64_t size;
        int formatType;
    } cases[] = {{MiB, 0x10000}, {16 * MiB, 0x20000}, {0x2000000 - 512, 2},
                 {0x2000000, 2}, {40 * MiB, 1},       {300 * MiB, 0x10000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        FatGeometry g;
        ASSERT_TRUE(UFatGeometry::Choose(c.size, 512, c.formatType, &g));
        const size_t fat1 = 512, fat2 = fat1 + g.fatSectors * 512, root = fat2 + g.fatSectors * 512;
        const size_t end = root + 16384;
        WindowTarget target(c.size, end + 4096);
        CFormatter(&target).Format(c.formatType);

        EXPECT_EQ(std::vector<uint8_t>(target.data.begin(), target.data.begin() + 512),
                  ExpectedFat1216BootSector(g, "           "));
        const uint8_t head[] = {0xF8, 0xFF, 0xFF, 0xFF};
        const size_t headBytes = g.type == 1 ? 3 : 4;
        for (size_t fat : {fat1, fat2}) {
            EXPECT_EQ(std::memcmp(&target.data[fat], head, headBytes), 0);
            EXPECT_TRUE(target.AllZero(fat + headBytes, fat + g.fatSectors * 512));
        }
        EXPECT_TRUE(target.AllZero(root, end)) << "root directory zeroed";
        EXPECT_EQ(target.end, end) << "nothing written past the root directory";
        EXPECT_EQ(FatReaderView::FromBootSector(target.data.data()).Problem(g.type), "");
    }
}

TEST_F(Formatter, Fat32ReservedSectorsFatHeadsAndRootClusterAreExact) {
    for (uint64_t size : {257 * MiB, 1024 * MiB, 32 * GiB}) {
        SCOPED_TRACE(size);
        FatGeometry g;
        ASSERT_TRUE(UFatGeometry::Choose(size, 512, 0x20000, &g));
        ASSERT_EQ(g.type, 3);
        const size_t fat1 = 32 * 512, fat2 = fat1 + size_t(g.fatSectors) * 512;
        const size_t root = fat2 + size_t(g.fatSectors) * 512, end = root + g.sectorsPerCluster * 512;
        WindowTarget target(size, end + 4096);
        target.Params().label = "RAMDISK";
        CFormatter(&target).Format(0x20000);

        const struct {
            size_t offset;
            uint32_t value;
            int bytes;
        } fields[] = {{0, 0x9058EB, 3},
                      {6 * 512, 0x9058EB, 3},
                      {11, 512, 2},
                      {13, g.sectorsPerCluster, 1},
                      {14, 32, 2},
                      {16, 2, 1},
                      {17, 0, 2},
                      {19, 0, 2},
                      {21, 0xF8, 1},
                      {22, 0, 2},
                      {24, 1, 2},
                      {26, 1, 2},
                      {28, 0, 4},
                      {32, g.totalSectors, 4},
                      {36, g.fatSectors, 4},
                      {40, 1, 2},
                      {42, 0, 2},
                      {44, 2, 4},
                      {48, 1, 2},
                      {50, 6, 2},
                      {64, 0x80, 1},
                      {65, 0, 1},
                      {66, 0x29, 1},
                      {67, 0x3456789A, 4},
                      {510, 0xAA55, 2}};
        for (const auto& f : fields) EXPECT_EQ(target.Le(f.offset, f.bytes), f.value) << "offset " << f.offset;
        EXPECT_EQ(std::string(&target.data[3], &target.data[11]), "        ");
        EXPECT_EQ(std::string(&target.data[71], &target.data[90]), "RAMDISK    FAT32   ");
        EXPECT_TRUE(target.AllZero(52, 64));
        EXPECT_TRUE(target.AllZero(90, 510));

        EXPECT_EQ(target.Le(512, 4), 0x41615252u);
        EXPECT_EQ(target.Le(512 + 484, 4), 0x61417272u);
        EXPECT_EQ(target.Le(512 + 488, 4), 0xFFFFFFFFu);
        EXPECT_EQ(target.Le(512 + 492, 4), 0xFFFFFFFFu);
        EXPECT_EQ(target.Le(512 + 508, 4), 0xAA550000u);
        EXPECT_TRUE(target.AllZero(512 + 4, 512 + 484));
        for (int sector = 2; sector < 32; ++sector) {
            if (sector == 6 || sector == 7) continue;
            SCOPED_TRACE(sector);
            EXPECT_TRUE(target.AllZero(sector * 512, sector * 512 + 508));
            EXPECT_EQ(target.Le(sector * 512 + 508, 4), 0xAA550000u);
        }
        EXPECT_TRUE(std::equal(&target.data[0], &target.data[1024], &target.data[6 * 512])) << "backup at 6-7";

        const uint8_t head[] = {0xF8, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F};
        for (size_t fat : {fat1, fat2}) {
            EXPECT_EQ(std::memcmp(&target.data[fat], head, sizeof head), 0);
            EXPECT_TRUE(target.AllZero(fat + sizeof head, fat + g.fatSectors * 512));
        }
        EXPECT_TRUE(target.AllZero(root, end)) << "root cluster zeroed";
        EXPECT_EQ(target.end, end);
        EXPECT_EQ(FatReaderView::FromBootSector(target.data.data()).Problem(3), "");
        EXPECT_LE(target.writes.size(), 1 + (end / 512 - 32 + 2047) / 2048) << "runs are coalesced";
    }
}

TEST_F(Formatter, LabelIsPaddedOrCutToElevenBytesAndSerialComesFromTheClock) {
    const struct {
        const char* label;
        const char* field;
    } cases[] = {{"", "           "}, {"DATA", "DATA       "}, {"ABCDEFGHIJKLMN", "ABCDEFGHIJK"}};
    for (const auto& c : cases) {
        WindowTarget target(16 * MiB, 512);
        target.Params().label = c.label;
        CFormatter(&target).Format(2);
        EXPECT_EQ(std::string(&target.data[43], &target.data[54]), c.field);
        EXPECT_EQ(target.Le(39, 4), 0x3456789Au);
    }
}

TEST_F(Formatter, RefusedRequestsWriteNothingAndThrowParameterError) {
    const struct {
        uint64_t size;
        int formatType;
    } cases[] = {{16 * MiB, 5}, {16 * MiB, 0}, {16 * MiB, 0x30000},  {300 * MiB, 1},
                 {MiB, 2},      {16 * MiB, 3}, {4096 * MiB, 0x10000}};
    for (const auto& c : cases) {
        WindowTarget target(c.size, 512);
        try {
            CFormatter(&target).Format(c.formatType);
            ADD_FAILURE() << c.formatType << " at " << c.size << " did not throw";
        } catch (FormatError e) {
            EXPECT_EQ(e, FORMAT_ERR_PARAM);
        }
        EXPECT_TRUE(target.writes.empty()) << c.formatType << " at " << c.size;
    }
    WindowTarget target(16 * MiB, 512);
    target.Params().context = nullptr;
    EXPECT_EQ(FormatFat16(&target.Params(), target.Io()), FORMAT_ERR_PARAM);
    target.Params().context = &target;
    EXPECT_EQ(FormatFat16(&target.Params(), nullptr), FORMAT_ERR_PARAM);
    EXPECT_EQ(FormatFat32(nullptr, target.Io()), FORMAT_ERR_PARAM);
    EXPECT_THROW(CFormatter(nullptr).Format(2), FormatError);
    EXPECT_TRUE(target.writes.empty());
}

TEST_F(Formatter, FailedWriteStopsTheBuildAndSurfacesTheCaughtException) {
    // FAT32 at 2 GiB: the boot region, then the FATs and root in runs; fail each write in turn.
    for (int failAt = 0; failAt < 3; ++failAt) {
        WindowTarget target(2048 * MiB, 0);
        target.failAt = failAt;
        try {
            CFormatter(&target).Format(0x20000);
            ADD_FAILURE() << "no exception";
        } catch (CException* e) {
            EXPECT_EQ(e, target.failure) << "the target's own exception";
            e->Delete();
        }
        EXPECT_FALSE(target.HasCaughtException()) << "the slot is cleared";
        EXPECT_EQ(target.writes.size(), size_t(failAt + 1)) << "no write after the failed one";
    }
    // Failures without an exception, and short writes, give the bare write error.
    for (bool shortWrite : {false, true}) {
        WindowTarget target(16 * MiB, 0);
        target.failAt = 1;
        target.throwOnFailure = false;
        target.shortWrite = shortWrite;
        EXPECT_EQ(FormatFat16(&target.Params(), target.Io()), FORMAT_ERR_WRITE);
        target.writes.clear();
        try {
            CFormatter(&target).Format(2);
            ADD_FAILURE() << "no exception";
        } catch (FormatError e) {
            EXPECT_EQ(e, FORMAT_ERR_WRITE);
        }
    }
}

TEST_F(Formatter, ExceptionLeftByEarlierWorkIsNotBlamedOnTheFormat) {
    class StaleTarget : public WindowTarget {
    public:
        StaleTarget() : WindowTarget(16 * MiB, 0) { KeepCaughtException(new CException); }
    } target;
    try {
        CFormatter(&target).Format(5);
        ADD_FAILURE() << "no exception";
    } catch (FormatError e) {
        EXPECT_EQ(e, FORMAT_ERR_PARAM);
    } catch (CException* e) {
        e->Delete();
        ADD_FAILURE() << "stale exception thrown";
    }
    EXPECT_FALSE(target.HasCaughtException());
}
