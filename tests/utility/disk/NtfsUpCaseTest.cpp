#include "utility/disk/NtfsUpCase.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint16_t> Table() {
    std::vector<uint16_t> t(UNtfsUpCase::kUnits);
    UNtfsUpCase::Build(t.data());
    return t;
}

TEST(NtfsUpCase, FoldsLettersOfTheMainScripts) {
    const std::vector<uint16_t> t = Table();
    for (uint16_t c = u'a'; c <= u'z'; ++c) EXPECT_EQ(c - 32, t[c]);
    EXPECT_EQ(u'A', t[u'A']);
    EXPECT_EQ(u'0', t[u'0']);
    EXPECT_EQ(0x00C9, t[0x00E9]);  // é
    EXPECT_EQ(0x00F7, t[0x00F7]);  // ÷ is no letter
    EXPECT_EQ(0x0178, t[0x00FF]);  // ÿ
    EXPECT_EQ(0x0100, t[0x0101]);  // ā, a run of pairs
    EXPECT_EQ(0x01C4, t[0x01C6]);  // ǆ
    EXPECT_EQ(0x0386, t[0x03AC]);  // ά
    EXPECT_EQ(0x03A9, t[0x03C9]);  // ω
    EXPECT_EQ(0x042F, t[0x044F]);  // я
    EXPECT_EQ(0x0400, t[0x0450]);  // ѐ
    EXPECT_EQ(0x0531, t[0x0561]);  // Armenian
    EXPECT_EQ(0x10A0, t[0x2D00]);  // Georgian Nuskhuri
    EXPECT_EQ(0x2160, t[0x2170]);  // small roman numeral one
    EXPECT_EQ(0x24B6, t[0x24D0]);  // circled a
    EXPECT_EQ(0xFF21, t[0xFF41]);  // fullwidth a
    EXPECT_EQ(0x3042, t[0x3042]);  // kana has no case
    EXPECT_EQ(0xD800, t[0xD800]);
}

TEST(NtfsUpCase, LeavesOneWayAndLaterMappingsAlone) {
    const std::vector<uint16_t> t = Table();
    // Their upper case folds back to another letter.
    EXPECT_EQ(0x00B5, t[0x00B5]);  // micro sign
    EXPECT_EQ(0x0131, t[0x0131]);  // dotless i
    EXPECT_EQ(0x017F, t[0x017F]);  // long s
    EXPECT_EQ(0x01C5, t[0x01C5]);  // title-case ǅ
    EXPECT_EQ(0x03C2, t[0x03C2]);  // final sigma
    EXPECT_EQ(0x0345, t[0x0345]);  // combining ypogegrammeni
    // Case pairs added after Unicode 5.1.
    EXPECT_EQ(0x0525, t[0x0525]);
    EXPECT_EQ(0x10D0, t[0x10D0]);  // Georgian Mkhedruli
    EXPECT_EQ(0xAB70, t[0xAB70]);  // Cherokee small letters
}

TEST(NtfsUpCase, FoldingTwiceChangesNothing) {
    const std::vector<uint16_t> t = Table();
    int changed = 0;
    for (uint32_t u = 0; u < UNtfsUpCase::kUnits; ++u) {
        EXPECT_EQ(t[u], t[t[u]]) << std::hex << "unit 0x" << u;
        changed += t[u] != u;
    }
    EXPECT_GT(changed, 900);
}

}  // namespace
