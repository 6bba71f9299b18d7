#include "utility/disk/NtfsBytes.h"
#include "utility/disk/NtfsFixup.h"
#include "utility/disk/NtfsRecord.h"
#include "utility/disk/NtfsTypes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace UNtfsBytes;
using namespace UNtfsTypes;

namespace {

// Attribute types in record order, read back from the buffer.
std::vector<uint32_t> AttributeTypes(const std::vector<uint8_t>& rec) {
    std::vector<uint32_t> types;
    uint32_t pos = Get16(&rec[20]);
    while (pos + 8 <= rec.size() && Get32(&rec[pos]) != AT_END) {
        types.push_back(Get32(&rec[pos]));
        pos += Get32(&rec[pos + 4]);
    }
    return types;
}

TEST(NtfsRecord, FormatLaysDownTheHeader) {
    std::vector<uint8_t> rec(1024, 0xCC);
    CNtfsRecord(rec.data(), 1024).Format(7, 7, RECORD_IN_USE);
    EXPECT_EQ(0, std::memcmp(rec.data(), "FILE", 4));
    EXPECT_EQ(48u, Get16(&rec[4]));
    EXPECT_EQ(3u, Get16(&rec[6]));
    EXPECT_EQ(7u, Get16(&rec[16]));
    EXPECT_EQ(0u, Get16(&rec[18]));
    EXPECT_EQ(56u, Get16(&rec[20]));
    EXPECT_EQ(RECORD_IN_USE, Get16(&rec[22]));
    EXPECT_EQ(64u, Get32(&rec[24]));
    EXPECT_EQ(1024u, Get32(&rec[28]));
    EXPECT_EQ(7u, Get32(&rec[44]));
    EXPECT_EQ(1u, Get16(&rec[48]));
    EXPECT_EQ(AT_END, Get32(&rec[56]));
    EXPECT_EQ(0, rec[1023]) << "the rest of the record is cleared";

    std::vector<uint8_t> big(4096);
    CNtfsRecord(big.data(), 4096).Format(1, 1, 0);
    EXPECT_EQ(9u, Get16(&big[6]));
    EXPECT_EQ(72u, Get16(&big[20]));  // 48 + 2 x 9 rounded up to 8
    EXPECT_EQ(80u, Get32(&big[24]));
}

TEST(NtfsRecord, AttributesKeepTypeAndNameOrderWithInstanceNumbers) {
    std::vector<uint8_t> rec(1024);
    CNtfsRecord r(rec.data(), 1024);
    r.Format(9, 9, RECORD_IN_USE);
    const uint8_t v[4] = {1, 2, 3, 4};
    ASSERT_TRUE(r.AddResident(AT_INDEX_ROOT, u"$SII", v, 4));
    ASSERT_TRUE(r.AddResident(AT_STANDARD_INFORMATION, u"", v, 4));
    ASSERT_TRUE(r.AddResident(AT_INDEX_ROOT, u"$SDH", v, 4));
    CNtfsRunList runs;
    runs.Append(100, 3);
    ASSERT_TRUE(r.AddNonResident(AT_DATA, u"$SDS", runs, 4096, 10000, 10000));

    EXPECT_EQ((std::vector<uint32_t>{AT_STANDARD_INFORMATION, AT_DATA, AT_INDEX_ROOT, AT_INDEX_ROOT}),
              AttributeTypes(rec));
    uint32_t pos = 56;
    std::vector<uint16_t> instances;
    std::vector<std::u16string> names;
    while (Get32(&rec[pos]) != AT_END) {
        instances.push_back(Get16(&rec[pos + 14]));
        std::u16string name;
        for (uint32_t i = 0; i < rec[pos + 9]; ++i)
            name.push_back(static_cast<char16_t>(Get16(&rec[pos + Get16(&rec[pos + 10]) + 2 * i])));
        names.push_back(name);
        pos += Get32(&rec[pos + 4]);
    }
    EXPECT_EQ((std::vector<std::u16string>{u"", u"$SDS", u"$SDH", u"$SII"}), names);
    EXPECT_EQ((std::vector<uint16_t>{1, 3, 2, 0}), instances);
    EXPECT_EQ(4u, Get16(&rec[40]));
    EXPECT_EQ(pos + 8, r.BytesInUse());

    // The non-resident header: VCNs, sizes in whole clusters, mapping pairs after the name.
    const uint32_t data = 56 + Get32(&rec[60]);
    EXPECT_EQ(1, rec[data + 8]);
    EXPECT_EQ(0u, Get64(&rec[data + 16]));
    EXPECT_EQ(2u, Get64(&rec[data + 24]));
    EXPECT_EQ(12288u, Get64(&rec[data + 40]));
    EXPECT_EQ(10000u, Get64(&rec[data + 48]));
    EXPECT_EQ(72u, Get16(&rec[data + 32]));
    EXPECT_EQ((std::vector<uint8_t>{0x11, 0x03, 0x64, 0x00}), std::vector<uint8_t>(&rec[data + 72], &rec[data + 76]));
}

TEST(NtfsRecord, FindValueAndRefusalWhenFull) {
    std::vector<uint8_t> rec(1024);
    CNtfsRecord r(rec.data(), 1024);
    r.Format(3, 3, RECORD_IN_USE);
    const uint8_t info[12] = {0, 0, 0, 0, 0, 0, 0, 0, 3, 1, 0, 0};
    ASSERT_TRUE(r.AddResident(AT_VOLUME_INFORMATION, u"", info, 12));
    uint32_t length = 0;
    uint8_t* value = r.FindValue(AT_VOLUME_INFORMATION, u"", &length);
    ASSERT_NE(nullptr, value);
    EXPECT_EQ(12u, length);
    EXPECT_EQ(3, value[8]);
    EXPECT_EQ(nullptr, r.FindValue(AT_VOLUME_NAME, u""));

    const uint32_t before = r.BytesInUse();
    std::vector<uint8_t> big(1024 - before);
    EXPECT_FALSE(r.AddResident(AT_DATA, u"", big.data(), static_cast<uint32_t>(big.size())));
    EXPECT_EQ(before, r.BytesInUse());
    EXPECT_EQ(AT_END, Get32(&rec[before - 8]));
}

// A 1024-byte record with recognisable block ends.
std::vector<uint8_t> ProtectableRecord(uint16_t usn) {
    std::vector<uint8_t> rec(1024);
    CNtfsRecord(rec.data(), 1024).Format(0, 1, RECORD_IN_USE);
    Put16(&rec[48], usn);
    Put16(&rec[510], 0xA1B2);
    Put16(&rec[1022], 0xC3D4);
    return rec;
}

TEST(NtfsFixup, ProtectAndUnprotectRoundTrip) {
    std::vector<uint8_t> rec = ProtectableRecord(1);
    const std::vector<uint8_t> original = rec;
    ASSERT_TRUE(UNtfsFixup::Protect(rec.data(), 1024));
    EXPECT_EQ(2u, Get16(&rec[48]));
    EXPECT_EQ(2u, Get16(&rec[510]));
    EXPECT_EQ(2u, Get16(&rec[1022]));
    EXPECT_EQ(0xA1B2u, Get16(&rec[50]));
    EXPECT_EQ(0xC3D4u, Get16(&rec[52]));
    ASSERT_TRUE(UNtfsFixup::Unprotect(rec.data(), 1024));
    std::vector<uint8_t> expected = original;
    Put16(&expected[48], 2);
    Put16(&expected[50], 0xA1B2);
    Put16(&expected[52], 0xC3D4);
    EXPECT_EQ(expected, rec);
}

TEST(NtfsFixup, SequenceNumberSkipsZeroAndAllOnes) {
    std::vector<uint8_t> rec = ProtectableRecord(0xFFFD);
    ASSERT_TRUE(UNtfsFixup::Protect(rec.data(), 1024));
    EXPECT_EQ(0xFFFEu, Get16(&rec[48]));
    rec = ProtectableRecord(0xFFFE);
    ASSERT_TRUE(UNtfsFixup::Protect(rec.data(), 1024));
    EXPECT_EQ(1u, Get16(&rec[48]));
    rec = ProtectableRecord(0xFFFF);
    ASSERT_TRUE(UNtfsFixup::Protect(rec.data(), 1024));
    EXPECT_EQ(1u, Get16(&rec[48]));
}

TEST(NtfsFixup, TornBlockIsDetected) {
    std::vector<uint8_t> rec = ProtectableRecord(5);
    ASSERT_TRUE(UNtfsFixup::Protect(rec.data(), 1024));
    rec[1022] ^= 0xFF;
    const std::vector<uint8_t> torn = rec;
    EXPECT_FALSE(UNtfsFixup::Unprotect(rec.data(), 1024));
    EXPECT_EQ(torn, rec) << "a failed check changes nothing";
}

TEST(NtfsFixup, MalformedHeadersAreRefusedAndBadRecordsSkipped) {
    std::vector<uint8_t> rec = ProtectableRecord(1);
    EXPECT_FALSE(UNtfsFixup::Protect(rec.data(), 1000)) << "size not a multiple of 512";
    EXPECT_FALSE(UNtfsFixup::Protect(rec.data(), 512)) << "array count does not match";
    Put16(&rec[4], 49);
    EXPECT_FALSE(UNtfsFixup::Protect(rec.data(), 1024)) << "odd array offset";
    Put16(&rec[4], 506);
    EXPECT_FALSE(UNtfsFixup::Protect(rec.data(), 1024)) << "array past the first block";

    rec = ProtectableRecord(1);
    std::memcpy(rec.data(), "BAAD", 4);
    const std::vector<uint8_t> bad = rec;
    EXPECT_TRUE(UNtfsFixup::Protect(rec.data(), 1024));
    EXPECT_EQ(bad, rec);
}

}  // namespace
