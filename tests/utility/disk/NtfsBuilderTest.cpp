// Builds volumes into memory and reads them back field by field.
#include "utility/disk/NtfsBuilder.h"

#include "utility/disk/NtfsBytes.h"
#include "utility/disk/NtfsFixup.h"
#include "utility/disk/NtfsSecurity.h"
#include "utility/disk/NtfsTypes.h"
#include "utility/disk/NtfsUpCase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace UNtfsBytes;
using namespace UNtfsTypes;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint64_t kMiB = 1ull << 20;
constexpr int64_t kBuildTime = 1700000000;

// An image kept in memory in 64 KiB pages; a chosen write call can be made to fail.
class CMemoryImage {
public:
    static constexpr uint64_t kPage = 65536;

    static int64_t WriteAt(void* context, const void* buffer, uint64_t offset, uint64_t length) {
        CMemoryImage* self = static_cast<CMemoryImage*>(context);
        self->writes.push_back({offset, length});
        if (static_cast<int>(self->writes.size()) == self->failAt) return -1;
        const uint8_t* p = static_cast<const uint8_t*>(buffer);
        for (uint64_t done = 0; done < length;) {
            const uint64_t at = offset + done;
            Bytes& page = self->pages[at / kPage];
            if (page.empty()) page.assign(kPage, 0);
            const uint64_t n = std::min(length - done, kPage - at % kPage);
            std::memcpy(&page[at % kPage], p + done, n);
            done += n;
        }
        return static_cast<int64_t>(length);
    }

    Bytes Read(uint64_t offset, uint64_t length) const {
        Bytes out(length, 0);
        for (uint64_t done = 0; done < length;) {
            const uint64_t at = offset + done;
            const uint64_t n = std::min(length - done, kPage - at % kPage);
            const auto page = pages.find(at / kPage);
            if (page != pages.end()) std::memcpy(&out[done], &page->second[at % kPage], n);
            done += n;
        }
        return out;
    }

    FormatIo Io() {
        FormatIo io{};
        io.WriteAt = &CMemoryImage::WriteAt;
        return io;
    }

    std::map<uint64_t, Bytes> pages;
    std::vector<std::pair<uint64_t, uint64_t>> writes;
    int failAt = 0;
};

struct StreamRun {
    int64_t lcn;  // -1 sparse
    uint64_t length;
};

struct Attribute {
    uint32_t type = 0;
    std::u16string name;
    bool nonResident = false;
    Bytes value;
    std::vector<StreamRun> runs;
    uint64_t allocatedSize = 0;
    uint64_t dataSize = 0;
};

struct Record {
    Bytes raw;
    bool protectedOk = false;
    std::vector<Attribute> attributes;

    const Attribute* Find(uint32_t type, const std::u16string& name = u"") const {
        for (const Attribute& a : attributes) {
            if (a.type == type && a.name == name) return &a;
        }
        return nullptr;
    }
    uint16_t Sequence() const { return Get16(&raw[16]); }
    uint16_t Links() const { return Get16(&raw[18]); }
    uint16_t Flags() const { return Get16(&raw[22]); }
};

std::vector<StreamRun> DecodeRuns(const uint8_t* p) {
    std::vector<StreamRun> runs;
    int64_t lcn = 0;
    while (*p != 0) {
        const int lengthBytes = *p & 0x0F;
        const int offsetBytes = *p >> 4;
        ++p;
        uint64_t length = 0;
        for (int i = 0; i < lengthBytes; ++i) length |= static_cast<uint64_t>(p[i]) << (8 * i);
        p += lengthBytes;
        if (offsetBytes == 0) {
            runs.push_back({-1, length});
            continue;
        }
        int64_t delta = 0;
        for (int i = 0; i < offsetBytes; ++i) delta |= static_cast<int64_t>(p[i]) << (8 * i);
        if (p[offsetBytes - 1] & 0x80) delta -= int64_t{1} << (8 * offsetBytes);
        p += offsetBytes;
        lcn += delta;
        runs.push_back({lcn, length});
    }
    return runs;
}

std::u16string Utf16(const uint8_t* p, size_t units) {
    std::u16string s;
    for (size_t i = 0; i < units; ++i) s.push_back(static_cast<char16_t>(Get16(p + 2 * i)));
    return s;
}

// Reads a built volume through its boot sector, as a mounting driver would.
class CVolume {
public:
    explicit CVolume(const CMemoryImage& image) : m_image(image) {
        boot = image.Read(0, 512);
        sectorSize = Get16(&boot[11]);
        clusterSize = sectorSize * boot[13];
        const int8_t code = static_cast<int8_t>(boot[64]);
        recordSize = code > 0 ? code * clusterSize : 1u << -code;
        mftLcn = Get64(&boot[48]);
        mirrorLcn = Get64(&boot[56]);
        clusters = Get64(&boot[40]) * sectorSize / clusterSize;
    }

    Record Mft(uint32_t n, uint64_t lcn = UINT64_MAX) const {
        Record r;
        r.raw = m_image.Read((lcn == UINT64_MAX ? mftLcn : lcn) * clusterSize + static_cast<uint64_t>(n) * recordSize,
                             recordSize);
        r.protectedOk = UNtfsFixup::Unprotect(r.raw.data(), recordSize);
        uint32_t pos = Get16(&r.raw[20]);
        while (pos + 8 <= recordSize && Get32(&r.raw[pos]) != AT_END) {
            const uint8_t* a = &r.raw[pos];
            Attribute attr;
            attr.type = Get32(a);
            attr.nonResident = a[8] != 0;
            attr.name = Utf16(a + Get16(a + 10), a[9]);
            if (attr.nonResident) {
                attr.runs = DecodeRuns(a + Get16(a + 32));
                attr.allocatedSize = Get64(a + 40);
                attr.dataSize = Get64(a + 48);
            } else {
                attr.value.assign(a + Get16(a + 20), a + Get16(a + 20) + Get32(a + 16));
                attr.dataSize = attr.value.size();
            }
            r.attributes.push_back(attr);
            pos += Get32(a + 4);
        }
        return r;
    }

    Bytes Stream(const Attribute& a) const {
        if (!a.nonResident) return a.value;
        Bytes out;
        for (const StreamRun& run : a.runs) {
            const Bytes part = run.lcn < 0 ? Bytes(run.length * clusterSize, 0)
                                           : m_image.Read(run.lcn * clusterSize, run.length * clusterSize);
            out.insert(out.end(), part.begin(), part.end());
        }
        out.resize(a.dataSize);
        return out;
    }

    Bytes boot;
    uint32_t sectorSize, clusterSize, recordSize;
    uint64_t mftLcn, mirrorLcn, clusters;

private:
    const CMemoryImage& m_image;
};

int Build(CMemoryImage& image, uint64_t size, const std::string& label = "", uint32_t sectorSize = 512,
          int64_t time = kBuildTime, bool* dirty = nullptr, bool targetReadsZero = false) {
    FormatParams params;
    params.context = &image;
    params.size = size;
    params.bytesPerSector = sectorSize;
    params.label = label;
    const FormatIo io = image.Io();
    CNtfsBuilder builder(params, io, time, targetReadsZero);
    const int result = builder.Build();
    if (dirty) *dirty = builder.VolumeDirty();
    return result;
}

// One 1 GiB volume shared by the read-back checks.
class NtfsVolume : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_image.reset(new CMemoryImage);
        ASSERT_EQ(0, Build(*s_image, 1024 * kMiB));
    }
    static void TearDownTestSuite() { s_image.reset(); }

    NtfsVolume() : volume(*s_image) {}

    static std::unique_ptr<CMemoryImage> s_image;
    CVolume volume;
};

std::unique_ptr<CMemoryImage> NtfsVolume::s_image;

TEST_F(NtfsVolume, BootSectorDescribesTheVolume) {
    const Bytes& b = volume.boot;
    EXPECT_EQ((Bytes{0xEB, 0x52, 0x90}), Bytes(b.begin(), b.begin() + 3));
    EXPECT_EQ(0, std::memcmp(&b[3], "NTFS    ", 8));
    EXPECT_EQ(512u, Get16(&b[11]));
    EXPECT_EQ(8, b[13]);
    EXPECT_EQ(0u, Get16(&b[14])) << "no reserved sectors";
    EXPECT_EQ(0xF8, b[21]);
    EXPECT_EQ(63u, Get16(&b[24]));
    EXPECT_EQ(255u, Get16(&b[26]));
    EXPECT_EQ(63u, Get32(&b[28]));
    EXPECT_EQ(0x80, b[36]);
    EXPECT_EQ(0x80, b[38]);
    EXPECT_EQ(2097151u, Get64(&b[40]));
    EXPECT_EQ(4u, Get64(&b[48]));
    EXPECT_EQ(131071u, Get64(&b[56]));
    EXPECT_EQ(0xF6, b[64]);
    EXPECT_EQ(0x01, b[68]);
    EXPECT_EQ(0u, Get32(&b[80]));
    EXPECT_EQ((Bytes{0x55, 0xAA}), Bytes(b.begin() + 510, b.end()));
    // The jump lands on code that loads the message it prints.
    EXPECT_EQ(0xFA, b[0x54]);
    const uint16_t message = Get16(&b[0x66]) - 0x7C00;
    ASSERT_LT(message, 510);
    EXPECT_EQ(0, std::memcmp(&b[message], "\r\nThis volume", 13));

    EXPECT_EQ(b, s_image->Read(2097151ull * 512, 512)) << "backup in the last sector";
}

TEST_F(NtfsVolume, SystemRecordsCarryTheirNamesAndNumbers) {
    struct Expected {
        uint32_t record;
        const char16_t* name;
        uint32_t parent;
    };
    const Expected files[] = {
        {0, u"$MFT", 5},     {1, u"$MFTMirr", 5}, {2, u"$LogFile", 5}, {3, u"$Volume", 5},  {4, u"$AttrDef", 5},
        {5, u".", 5},        {6, u"$Bitmap", 5},  {7, u"$Boot", 5},    {8, u"$BadClus", 5}, {9, u"$Secure", 5},
        {10, u"$UpCase", 5}, {11, u"$Extend", 5}, {24, u"$Quota", 11}, {25, u"$ObjId", 11}, {26, u"$Reparse", 11},
    };
    for (const Expected& f : files) {
        SCOPED_TRACE(f.record);
        const Record r = volume.Mft(f.record);
        ASSERT_TRUE(r.protectedOk);
        EXPECT_EQ(0, std::memcmp(r.raw.data(), "FILE", 4));
        EXPECT_EQ(f.record >= 24 || f.record == 0 ? 1 : f.record, r.Sequence());
        EXPECT_TRUE(r.Flags() & RECORD_IN_USE);
        EXPECT_EQ(f.record, Get32(&r.raw[44]));
        EXPECT_EQ(1u, r.Links());
        const Attribute* si = r.Find(AT_STANDARD_INFORMATION);
        ASSERT_NE(nullptr, si);
        ASSERT_EQ(72u, si->value.size());
        EXPECT_EQ((kBuildTime + 11644473600ull) * 10000000ull, Get64(&si->value[0]));
        const Attribute* fn = r.Find(AT_FILE_NAME);
        ASSERT_NE(nullptr, fn);
        EXPECT_EQ(f.name, Utf16(&fn->value[66], fn->value[64]));
        EXPECT_EQ(FileReference(f.parent, static_cast<uint16_t>(f.parent)), Get64(&fn->value[0]));
        EXPECT_EQ(NAME_SPACE_WIN32_AND_DOS, fn->value[65]);
        EXPECT_EQ(r.attributes.front().type, AT_STANDARD_INFORMATION);
    }
    EXPECT_EQ(RECORD_IN_USE | RECORD_IS_DIRECTORY, volume.Mft(5).Flags());
    EXPECT_EQ(RECORD_IN_USE | RECORD_IS_DIRECTORY, volume.Mft(11).Flags());
    EXPECT_EQ(RECORD_IN_USE | RECORD_IS_VIEW_INDEX, volume.Mft(9).Flags());
    for (uint32_t n = 12; n < 16; ++n) {
        const Record r = volume.Mft(n);
        EXPECT_EQ(RECORD_IN_USE, r.Flags());
        EXPECT_EQ(nullptr, r.Find(AT_FILE_NAME));
    }
    for (uint32_t n = 16; n < 24; ++n) {
        const Record r = volume.Mft(n);
        EXPECT_TRUE(r.protectedOk);
        EXPECT_EQ(0, r.Flags());
        EXPECT_EQ(n, r.Sequence());
    }
    const Record mft = volume.Mft(0);
    const Attribute* mftBitmap = mft.Find(AT_BITMAP);
    ASSERT_NE(nullptr, mftBitmap);
    EXPECT_EQ((Bytes{0xFF, 0xFF, 0x00, 0x07, 0, 0, 0, 0}), volume.Stream(*mftBitmap));
}

TEST_F(NtfsVolume, MirrorHoldsTheFirstFourRecordsByteForByte) {
    const uint64_t bytes = 4ull * volume.recordSize;
    EXPECT_EQ(s_image->Read(volume.mftLcn * volume.clusterSize, bytes),
              s_image->Read(volume.mirrorLcn * volume.clusterSize, bytes));
    EXPECT_EQ(2u, Get16(&s_image->Read(volume.mftLcn * volume.clusterSize, 64)[48]));
}

TEST_F(NtfsVolume, RootIndexListsEveryFileOfTheRoot) {
    const Record root = volume.Mft(5);
    const Attribute* indexRoot = root.Find(AT_INDEX_ROOT, u"$I30");
    const Attribute* allocation = root.Find(AT_INDEX_ALLOCATION, u"$I30");
    ASSERT_TRUE(indexRoot && allocation && root.Find(AT_BITMAP, u"$I30"));
    EXPECT_EQ(INDEX_LARGE, indexRoot->value[16 + 12]);
    Bytes block = volume.Stream(*allocation);
    ASSERT_EQ(4096u, block.size());
    ASSERT_TRUE(UNtfsFixup::Unprotect(block.data(), 4096));
    EXPECT_EQ(0, std::memcmp(block.data(), "INDX", 4));

    std::vector<std::u16string> names;
    for (uint32_t pos = 24 + Get32(&block[24]);;) {
        const uint8_t* e = &block[pos];
        if (Get16(e + 12) & INDEX_ENTRY_END) break;
        const uint64_t ref = Get64(e);
        const Record target = volume.Mft(static_cast<uint32_t>(ref & 0xFFFFFFFFFFFFull));
        EXPECT_EQ(target.Sequence(), ref >> 48);
        const Attribute* fn = target.Find(AT_FILE_NAME);
        ASSERT_NE(nullptr, fn);
        EXPECT_EQ(fn->value, Bytes(e + 16, e + 16 + Get16(e + 10))) << "key is the file's name";
        names.push_back(Utf16(e + 16 + 66, e[16 + 64]));
        pos += Get16(e + 8);
    }
    EXPECT_EQ((std::vector<std::u16string>{u"$AttrDef", u"$BadClus", u"$Bitmap", u"$Boot", u"$Extend", u"$LogFile",
                                           u"$MFT", u"$MFTMirr", u"$Secure", u"$UpCase", u"$Volume", u"."}),
              names);

    const Record extendRecord = volume.Mft(11);
    const Attribute* extend = extendRecord.Find(AT_INDEX_ROOT, u"$I30");
    ASSERT_NE(nullptr, extend);
    EXPECT_EQ(0, extend->value[16 + 12]) << "small index";
    EXPECT_EQ(16u + 16 + 96 + 96 + 104 + 16, extend->value.size());
}

TEST_F(NtfsVolume, StreamsHoldTheirTables) {
    const Bytes attrDef = volume.Stream(*volume.Mft(4).Find(AT_DATA));
    ASSERT_EQ(2560u, attrDef.size());
    EXPECT_EQ(u"$FILE_NAME", Utf16(&attrDef[2 * 160], 10));
    EXPECT_EQ(0x30u, Get32(&attrDef[2 * 160 + 0x80]));
    EXPECT_EQ(0x42u, Get32(&attrDef[2 * 160 + 0x8C]));
    EXPECT_EQ(68u, Get64(&attrDef[2 * 160 + 0x90]));
    EXPECT_EQ(578u, Get64(&attrDef[2 * 160 + 0x98]));
    EXPECT_EQ(0x100u, Get32(&attrDef[14 * 160 + 0x80]));
    EXPECT_EQ(Bytes(160, 0), Bytes(attrDef.end() - 160, attrDef.end()));

    const Bytes upCase = volume.Stream(*volume.Mft(10).Find(AT_DATA));
    ASSERT_EQ(131072u, upCase.size());
    std::vector<uint16_t> table(UNtfsUpCase::kUnits);
    UNtfsUpCase::Build(table.data());
    for (uint32_t u = 0; u < UNtfsUpCase::kUnits; u += 97) ASSERT_EQ(table[u], Get16(&upCase[2 * u])) << u;

    const Record logRecord = volume.Mft(2);
    const Attribute* log = logRecord.Find(AT_DATA);
    ASSERT_EQ(1u, log->runs.size());
    EXPECT_EQ(131072, log->runs[0].lcn);
    EXPECT_EQ(5365760u, log->dataSize);
    const Bytes logData = volume.Stream(*log);
    EXPECT_TRUE(std::all_of(logData.begin(), logData.end(), [](uint8_t b) { return b == 0xFF; }));

    EXPECT_EQ(UNtfsSecurity::SdsStream(), volume.Stream(*volume.Mft(9).Find(AT_DATA, u"$SDS")));
    EXPECT_EQ(volume.boot, Bytes(s_image->Read(0, 512)));

    const Record badClus = volume.Mft(8);
    const Attribute* bad = badClus.Find(AT_DATA, u"$Bad");
    ASSERT_NE(nullptr, bad);
    ASSERT_EQ(1u, bad->runs.size());
    EXPECT_EQ(-1, bad->runs[0].lcn);
    EXPECT_EQ(volume.clusters, bad->runs[0].length);
    EXPECT_EQ(volume.clusters * volume.clusterSize, bad->dataSize);
    EXPECT_NE(nullptr, badClus.Find(AT_DATA, u""));
}

// Every cluster of every stream is given once and marked, and nothing else is.
void ExpectBitmapMatchesStreams(const CVolume& volume) {
    std::vector<uint8_t> owner(volume.clusters, 0);
    for (uint32_t n = 0; n < 27; ++n) {
        for (const Attribute& a : volume.Mft(n).attributes) {
            if (!a.nonResident) continue;
            EXPECT_GE(a.allocatedSize, a.dataSize);
            for (const StreamRun& run : a.runs) {
                if (run.lcn < 0) continue;
                ASSERT_LE(run.lcn + run.length, volume.clusters);
                for (uint64_t c = run.lcn; c < run.lcn + run.length; ++c)
                    EXPECT_EQ(0, owner[c]++) << "cluster " << c << " given twice";
            }
        }
    }
    const Record bitmapRecord = volume.Mft(6);
    const Bytes bitmap = volume.Stream(*bitmapRecord.Find(AT_DATA));
    ASSERT_EQ(((volume.clusters + 7) / 8 + 7) & ~7ull, bitmap.size());
    uint64_t mismatches = 0;
    for (uint64_t c = 0; c < bitmap.size() * 8; ++c) {
        const bool set = (bitmap[c / 8] >> (c % 8)) & 1;
        const bool expected = c >= volume.clusters || owner[c] != 0;
        mismatches += set != expected;
    }
    EXPECT_EQ(0u, mismatches);
}

TEST_F(NtfsVolume, ClusterBitmapMarksExactlyTheClustersOfTheStreams) {
    ExpectBitmapMatchesStreams(volume);
    // Streams placed by the allocator keep out of the MFT zone.
    const uint64_t zoneEnd = volume.mftLcn + volume.clusters / 8;
    for (uint32_t n : {4u, 6u, 9u, 10u})
        EXPECT_GE(volume.Mft(n).attributes[2].runs.at(0).lcn, static_cast<int64_t>(zoneEnd)) << n;
}

TEST(NtfsBuilder, LargeBitmapIsWrittenWholeUnlessTheTargetReadsZero) {
    // 16 GiB: a 512 KiB bitmap whose stretches between the MFT zone, the log and the end no
    // stream touches. A target that reads as zeros gets only the 64 KiB stretches holding
    // set bits, and reads back the same volume.
    CMemoryImage whole;
    ASSERT_EQ(0, Build(whole, 16384 * kMiB));
    for (bool targetReadsZero : {false, true}) {
        SCOPED_TRACE(targetReadsZero);
        CMemoryImage image;
        ASSERT_EQ(0, Build(image, 16384 * kMiB, "", 512, kBuildTime, nullptr, targetReadsZero));
        CVolume volume(image);
        ExpectBitmapMatchesStreams(volume);
        const Record bitmapRecord = volume.Mft(6);
        const Attribute* data = bitmapRecord.Find(AT_DATA);
        const Bytes bitmap = volume.Stream(*data);
        uint64_t stretchesWithBits = 0;
        for (size_t at = 0; at < bitmap.size(); at += 65536)
            stretchesWithBits += std::any_of(&bitmap[at], &bitmap[at] + std::min<size_t>(65536, bitmap.size() - at),
                                             [](uint8_t b) { return b != 0; });
        ASSERT_GT(stretchesWithBits, 0u);
        ASSERT_LT(stretchesWithBits, 8u);
        auto inBitmap = [&](uint64_t offset) {
            for (const StreamRun& run : data->runs) {
                const uint64_t start = run.lcn * volume.clusterSize;
                if (offset >= start && offset < start + run.length * volume.clusterSize) return true;
            }
            return false;
        };
        uint64_t written = 0;
        for (const auto& w : image.writes) written += inBitmap(w.first) ? w.second : 0;
        EXPECT_EQ(targetReadsZero ? stretchesWithBits * 65536 : 524288u, written);
        // The same bytes wherever the whole build wrote, and nothing elsewhere.
        for (const auto& page : whole.pages)
            EXPECT_EQ(page.second, image.Read(page.first * CMemoryImage::kPage, CMemoryImage::kPage))
                << "page " << page.first;
        for (const auto& page : image.pages) EXPECT_EQ(1u, whole.pages.count(page.first)) << "page " << page.first;
    }
}

TEST(NtfsBuilder, SerialAndContentsFollowTheClock) {
    CMemoryImage a, b, c;
    ASSERT_EQ(0, Build(a, 8 * kMiB, "", 512, 1));
    ASSERT_EQ(0, Build(b, 8 * kMiB, "", 512, 1));
    ASSERT_EQ(0, Build(c, 8 * kMiB, "", 512, 2));
    // The generator seeded with 1 gives 41, then 18467.
    EXPECT_EQ((41ull << 32) | 18467ull, Get64(&a.Read(0, 512)[72]));
    EXPECT_EQ(a.pages, b.pages);
    EXPECT_EQ(a.writes, b.writes);
    EXPECT_NE(Get64(&a.Read(0, 512)[72]), Get64(&c.Read(0, 512)[72]));
}

TEST(NtfsBuilder, TooSmallOrBadLabelsFailBeforeWriting) {
    for (uint64_t size : {uint64_t{0}, kMiB, 2 * kMiB - 1}) {
        CMemoryImage image;
        EXPECT_EQ(1, Build(image, size));
        EXPECT_TRUE(image.writes.empty());
    }
    for (const std::string& label : {std::string(256, 'x'), std::string(129, 'x'), std::string("\xC3\x28"),
                                     std::string("\xE3\x83"), std::string("\xED\xA0\x80")}) {
        CMemoryImage image;
        EXPECT_EQ(1, Build(image, 8 * kMiB, label));
        EXPECT_TRUE(image.writes.empty());
    }
    CMemoryImage smallest;
    EXPECT_EQ(0, Build(smallest, 2 * kMiB));
}

TEST(NtfsBuilder, LabelIsStoredAsUtf16) {
    CMemoryImage image;
    ASSERT_EQ(0, Build(image, 8 * kMiB, "RAM\xE3\x83\x87\xE3\x82\xA3\xF0\x9F\x98\x80"));
    const Record volumeRecord = CVolume(image).Mft(3);
    const Attribute* name = volumeRecord.Find(AT_VOLUME_NAME);
    ASSERT_NE(nullptr, name);
    EXPECT_EQ(u"RAM\u30C7\u30A3\U0001F600", Utf16(name->value.data(), name->value.size() / 2));

    CMemoryImage longest;
    EXPECT_EQ(0, Build(longest, 8 * kMiB, std::string(128, 'x')));
}

TEST(NtfsBuilder, AnyFailedWriteFailsTheBuildButTheBackupBootSector) {
    CMemoryImage clean;
    ASSERT_EQ(0, Build(clean, 8 * kMiB));
    const int calls = static_cast<int>(clean.writes.size());
    const uint64_t backup = 8 * kMiB - 512;
    int backupCall = 0;
    for (int i = 0; i < calls; ++i) {
        if (clean.writes[i].first == backup) backupCall = i + 1;
    }
    ASSERT_GT(backupCall, 0);

    for (int k = 1; k <= calls; ++k) {
        SCOPED_TRACE(k);
        CMemoryImage image;
        image.failAt = k;
        bool dirty = false;
        const int result = Build(image, 8 * kMiB, "", 512, kBuildTime, &dirty);
        if (k != backupCall) {
            EXPECT_EQ(1, result);
            EXPECT_EQ(static_cast<size_t>(k), image.writes.size()) << "stops at the failure";
            continue;
        }
        EXPECT_EQ(0, result);
        EXPECT_TRUE(dirty);
        const Record volumeRecord = CVolume(image).Mft(3);
        const Attribute* info = volumeRecord.Find(AT_VOLUME_INFORMATION);
        ASSERT_NE(nullptr, info);
        EXPECT_EQ(VOLUME_IS_DIRTY, Get16(&info->value[10]));
    }
    const Record volumeRecord = CVolume(clean).Mft(3);
    const Attribute* info = volumeRecord.Find(AT_VOLUME_INFORMATION);
    EXPECT_EQ(0u, Get16(&info->value[10]));
    EXPECT_EQ(3, info->value[8]);
    EXPECT_EQ(1, info->value[9]);
}

TEST(NtfsBuilder, ImageLongerThanTheVolumeGetsABootCopyAtItsEnd) {
    CMemoryImage image;
    const uint64_t size = 8 * kMiB + 5000;
    ASSERT_EQ(0, Build(image, size));
    const Bytes boot = image.Read(0, 512);
    EXPECT_EQ(boot, image.Read(8 * kMiB - 512, 512));
    EXPECT_EQ(boot, image.Read(size / 512 * 512 - 512, 512));
    EXPECT_EQ(16383u, Get64(&boot[40])) << "the volume stays whole MiB less a sector";
}

TEST(NtfsBuilder, LargeSectorsGiveLargeRecords) {
    CMemoryImage image;
    ASSERT_EQ(0, Build(image, 64 * kMiB, "", 4096));
    CVolume volume(image);
    EXPECT_EQ(4096u, volume.sectorSize);
    EXPECT_EQ(1, volume.boot[13]);
    EXPECT_EQ(4096u, volume.recordSize);
    EXPECT_EQ(16383u, Get64(&volume.boot[40]));
    const Record r = volume.Mft(5);
    EXPECT_TRUE(r.protectedOk);
    EXPECT_EQ(9u, Get16(&r.raw[6]));
    EXPECT_NE(nullptr, r.Find(AT_INDEX_ALLOCATION, u"$I30"));
    EXPECT_EQ(image.Read(0, 4096), image.Read(64 * kMiB - 4096, 4096));
}

TEST(NtfsBuilder, FormatNtfsTakesTheCurrentTime) {
    EXPECT_EQ(1, FormatNtfs(nullptr, nullptr));
    CMemoryImage image;
    FormatParams params;
    params.context = &image;
    params.size = 4 * kMiB;
    const FormatIo io = image.Io();
    EXPECT_EQ(1, FormatNtfs(&params, nullptr));
    const int64_t before = static_cast<int64_t>(std::time(nullptr));
    ASSERT_EQ(0, FormatNtfs(&params, &io));
    const Record mft = CVolume(image).Mft(0);
    const Attribute* si = mft.Find(AT_STANDARD_INFORMATION);
    const int64_t stamped = static_cast<int64_t>(Get64(&si->value[0]) / 10000000ull) - 11644473600ll;
    EXPECT_GE(stamped, before);
    EXPECT_LE(stamped, before + 60);
}

}  // namespace
