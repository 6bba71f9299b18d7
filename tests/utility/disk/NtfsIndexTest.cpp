#include "utility/disk/NtfsAttributeValue.h"
#include "utility/disk/NtfsBytes.h"
#include "utility/disk/NtfsFixup.h"
#include "utility/disk/NtfsIndex.h"
#include "utility/disk/NtfsQuota.h"
#include "utility/disk/NtfsSecurity.h"
#include "utility/disk/NtfsTypes.h"
#include "utility/disk/NtfsUpCase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace UNtfsBytes;
using namespace UNtfsTypes;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Slice(const uint8_t* p, size_t n) {
    Bytes b(n);
    if (n > 0) std::memcpy(b.data(), p, n);
    return b;
}

struct Entry {
    uint16_t flags;
    Bytes key;
    Bytes data;
};

// Reads the entries of an index header at p (entries offset is relative to it).
std::vector<Entry> Entries(const uint8_t* header, bool view) {
    std::vector<Entry> out;
    const uint32_t end = Get32(header + 4);
    uint32_t pos = Get32(header);
    while (pos < end) {
        const uint8_t* e = header + pos;
        Entry entry;
        entry.flags = Get16(e + 12);
        entry.key = Slice(e + 16, Get16(e + 10));
        if (view && !(entry.flags & INDEX_ENTRY_END)) entry.data = Slice(e + Get16(e), Get16(e + 2));
        out.push_back(entry);
        if (entry.flags & INDEX_ENTRY_END) break;
        pos += Get16(e + 8);
    }
    return out;
}

std::u16string NameOf(const Bytes& fileName) {
    std::u16string s;
    for (uint32_t i = 0; i < fileName[64]; ++i) s.push_back(static_cast<char16_t>(Get16(&fileName[66 + 2 * i])));
    return s;
}

TEST(NtfsSecurity, SharedDescriptorsHashToTheKnownValues) {
    const Bytes readOnly = UNtfsSecurity::SystemDescriptor(0x120089);
    const Bytes readWrite = UNtfsSecurity::SystemDescriptor(0x12019F);
    ASSERT_EQ(104u, readOnly.size());
    EXPECT_EQ(0xF80312F0u, UNtfsSecurity::Hash(readOnly.data(), readOnly.size()));
    EXPECT_EQ(0x00B32451u, UNtfsSecurity::Hash(readWrite.data(), readWrite.size()));
    EXPECT_EQ(0x8004u, Get16(&readOnly[2]));
    const Bytes administrators = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};
    EXPECT_EQ(administrators, Bytes(&readOnly[Get32(&readOnly[4])], &readOnly[Get32(&readOnly[4]) + 16]));
    EXPECT_EQ(administrators, Bytes(&readOnly[Get32(&readOnly[8])], &readOnly[Get32(&readOnly[8]) + 16]));
}

TEST(NtfsSecurity, SdsStreamHoldsBothEntriesTwice) {
    const Bytes sds = UNtfsSecurity::SdsStream();
    ASSERT_EQ(262396u, sds.size());
    const uint32_t ids[] = {0x100, 0x101};
    const uint32_t hashes[] = {0xF80312F0, 0x00B32451};
    for (int i = 0; i < 2; ++i) {
        const uint8_t* h = &sds[128 * i];
        EXPECT_EQ(hashes[i], Get32(h));
        EXPECT_EQ(ids[i], Get32(h + 4));
        EXPECT_EQ(128u * i, Get64(h + 8));
        EXPECT_EQ(124u, Get32(h + 16));
    }
    EXPECT_EQ(0, std::memcmp(&sds[0], &sds[0x40000], 252));
    EXPECT_EQ(Bytes(0x40000 - 252, 0), Bytes(&sds[252], &sds[0x40000]));
}

TEST(NtfsSecurity, SdhAndSiiIndexTheEntriesInOrder) {
    CNtfsIndex sdh(0, COLLATION_SECURITY_HASH);
    CNtfsIndex sii(0, COLLATION_ULONG);
    UNtfsSecurity::AddIndexEntries(sdh, sii);
    const Bytes sdhRoot = sdh.SmallRoot(4096, 1);
    const Bytes siiRoot = sii.SmallRoot(4096, 1);
    EXPECT_EQ(144u, sdhRoot.size());
    EXPECT_EQ(128u, siiRoot.size());
    EXPECT_EQ(0u, Get32(&sdhRoot[0]));
    EXPECT_EQ(COLLATION_SECURITY_HASH, Get32(&sdhRoot[4]));

    const std::vector<Entry> byHash = Entries(&sdhRoot[16], true);
    ASSERT_EQ(3u, byHash.size());
    EXPECT_EQ(0x00B32451u, Get32(&byHash[0].key[0]));  // lower hash first
    EXPECT_EQ(0x101u, Get32(&byHash[0].key[4]));
    EXPECT_EQ(20u, byHash[0].data.size());
    EXPECT_EQ(0x101u, Get32(&byHash[0].data[4]));
    EXPECT_EQ(0, std::memcmp(&sdhRoot[16 + 16 + 44], "I\0I\0", 4));

    const std::vector<Entry> byId = Entries(&siiRoot[16], true);
    ASSERT_EQ(3u, byId.size());
    EXPECT_EQ(0x100u, Get32(&byId[0].key[0]));
    EXPECT_EQ(0x101u, Get32(&byId[1].key[0]));
    EXPECT_EQ(128u, Get64(&byId[1].data[8]));
    EXPECT_EQ(INDEX_ENTRY_END, byId[2].flags);
}

TEST(NtfsQuota, DefaultEntries) {
    CNtfsIndex q(0, COLLATION_ULONG);
    CNtfsIndex o(0, COLLATION_SID);
    UNtfsQuota::AddIndexEntries(q, o, 123);
    const Bytes qRoot = q.SmallRoot(4096, 1);
    const std::vector<Entry> owners = Entries(&qRoot[16], true);
    ASSERT_EQ(3u, owners.size());
    EXPECT_EQ(1u, Get32(&owners[0].key[0]));
    EXPECT_EQ(48u, owners[0].data.size()) << "the defaults entry has no SID";
    EXPECT_EQ(2u, Get32(&owners[0].data[0]));
    EXPECT_EQ(~uint64_t{0}, Get64(&owners[0].data[32]));
    EXPECT_EQ(0x100u, Get32(&owners[1].key[0]));
    EXPECT_EQ(64u, owners[1].data.size());
    EXPECT_EQ(UNtfsSecurity::Sid(5, {32, 544}), Bytes(&owners[1].data[48], &owners[1].data[64]));

    const Bytes oRoot = o.SmallRoot(4096, 1);
    const std::vector<Entry> sids = Entries(&oRoot[16], true);
    ASSERT_EQ(2u, sids.size());
    EXPECT_EQ(UNtfsSecurity::Sid(5, {32, 544}), sids[0].key);
    EXPECT_EQ(0x100u, Get32(&sids[0].data[0]));
}

class NtfsIndexNames : public ::testing::Test {
protected:
    NtfsIndexNames() : upCase(UNtfsUpCase::kUnits), index(AT_FILE_NAME, COLLATION_FILE_NAME, nullptr) {
        UNtfsUpCase::Build(upCase.data());
        index = CNtfsIndex(AT_FILE_NAME, COLLATION_FILE_NAME, upCase.data());
        for (const char16_t* name : {u"b", u"a", u"A", u".", u"$x", u"\u00e9", u"F"})
            index.AddFileName(FileReference(30, 1), UNtfsValue::FileName(5, name, 0, 0, 0, 0));
    }

    std::vector<uint16_t> upCase;
    CNtfsIndex index;
};

TEST_F(NtfsIndexNames, BlockSortsNamesCaseBlindThenExactly) {
    Bytes block = index.Block(0, 4096);
    ASSERT_EQ(4096u, block.size());
    EXPECT_EQ(0, std::memcmp(block.data(), "INDX", 4));
    EXPECT_EQ(40u, Get16(&block[4]));
    EXPECT_EQ(9u, Get16(&block[6]));
    EXPECT_EQ(40u, Get32(&block[24]));
    EXPECT_EQ(4072u, Get32(&block[32]));
    ASSERT_TRUE(UNtfsFixup::Protect(block.data(), 4096));
    ASSERT_TRUE(UNtfsFixup::Unprotect(block.data(), 4096));

    std::vector<std::u16string> names;
    for (const Entry& e : Entries(&block[24], false)) {
        if (!(e.flags & INDEX_ENTRY_END)) names.push_back(NameOf(e.key));
    }
    EXPECT_EQ((std::vector<std::u16string>{u"$x", u".", u"A", u"a", u"b", u"F", u"\u00e9"}), names);
}

TEST_F(NtfsIndexNames, LargeRootPointsAtTheBlock) {
    const Bytes root = index.LargeRoot(4096, 1);
    ASSERT_EQ(56u, root.size());
    EXPECT_EQ(AT_FILE_NAME, Get32(&root[0]));
    EXPECT_EQ(COLLATION_FILE_NAME, Get32(&root[4]));
    EXPECT_EQ(INDEX_LARGE, root[16 + 12]);
    const std::vector<Entry> entries = Entries(&root[16], false);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(INDEX_ENTRY_END | INDEX_ENTRY_NODE, entries[0].flags);
    EXPECT_EQ(24u, Get16(&root[32 + 8]));
    EXPECT_EQ(0u, Get64(&root[32 + 16]));
}

TEST_F(NtfsIndexNames, BlockRefusesEntriesThatDoNotFit) {
    for (int i = 0; i < 60; ++i)
        index.AddFileName(
            FileReference(40, 1),
            UNtfsValue::FileName(5, u"a-rather-long-name-" + std::u16string(1, u'a' + i % 26), 0, 0, 0, 0));
    EXPECT_TRUE(index.Block(0, 4096).empty());
    EXPECT_TRUE(index.Block(0, 1000).empty());
}

}  // namespace
