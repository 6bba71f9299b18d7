// The mount-point buffer's bytes, field by field, and the reader's refusals.
#include <gtest/gtest.h>

#include "common/MountPointBuffer.h"

namespace {

uint32_t At(const std::vector<uint8_t>& b, size_t offset, unsigned width) {
    uint32_t value = 0;
    for (unsigned i = 0; i < width; ++i) value |= uint32_t(b[offset + i]) << (8 * i);
    return value;
}

std::u16string Text(const std::vector<uint8_t>& b, size_t offset, size_t units) {
    std::u16string text;
    for (size_t i = 0; i < units; ++i) text += char16_t(At(b, offset + 2 * i, 2));
    return text;
}

}  // namespace

TEST(MountPointBufferTest, BuildsTheFieldsAndNamesItCarries) {
    struct Case {
        std::u16string substitute, print;
    } cases[] = {
        {u"\\??\\R:\\Vlink\\Docs", u"R:\\Vlink\\Docs"},
        {u"\\??\\C:\\", u""},
        {u"\\??\\R:\\\u30C6\u30B9\u30C8", u"R:\\\u30C6\u30B9\u30C8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.print.begin(), c.print.end()));
        const size_t s = c.substitute.size(), p = c.print.size();
        const std::vector<uint8_t> b = UMountPointBuffer::Build(c.substitute, c.print);
        ASSERT_EQ(2 * (s + p) + 20, b.size());  // data length + 8
        EXPECT_EQ(0xA0000003u, At(b, 0, 4));
        EXPECT_EQ(2 * (s + p) + 12, At(b, 4, 2));
        EXPECT_EQ(0u, At(b, 6, 2));
        EXPECT_EQ(0u, At(b, 8, 2));
        EXPECT_EQ(2 * s, At(b, 10, 2));
        EXPECT_EQ(2 * s + 2, At(b, 12, 2));
        EXPECT_EQ(2 * p, At(b, 14, 2));
        EXPECT_EQ(c.substitute, Text(b, 16, s));
        EXPECT_EQ(0u, At(b, 16 + 2 * s, 2));
        EXPECT_EQ(c.print, Text(b, 18 + 2 * s, p));
        EXPECT_EQ(0u, At(b, 18 + 2 * (s + p), 2));

        UMountPointBuffer::Contents read;
        ASSERT_TRUE(UMountPointBuffer::Parse(b.data(), b.size(), read));
        EXPECT_EQ(0xA0000003u, read.tag);
        EXPECT_EQ(c.substitute, read.substitute);
        EXPECT_EQ(c.print, read.print);
    }
    // Names that overflow the 16-bit lengths are not built.
    EXPECT_TRUE(UMountPointBuffer::Build(std::u16string(20000, u'a'), std::u16string(20000, u'b')).empty());
}

TEST(MountPointBufferTest, RefusesDataThatDoesNotHoldItsNames) {
    const std::vector<uint8_t> good = UMountPointBuffer::Build(u"\\??\\R:\\A", u"R:\\A");
    auto with = [&](size_t offset, uint16_t value) {
        std::vector<uint8_t> b = good;
        b[offset] = uint8_t(value);
        b[offset + 1] = uint8_t(value >> 8);
        return b;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        size_t size;
    } cases[] = {
        {"header cut short", good, 15},
        {"print name past the returned bytes", good, good.size() - 4},
        {"substitute offset past the end", with(8, 0xFFF0), good.size()},
        {"print length past the end", with(14, 0xFFFE), good.size()},
        {"odd substitute length", with(10, 7), good.size()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UMountPointBuffer::Contents read;
        read.substitute = u"stale";
        EXPECT_FALSE(UMountPointBuffer::Parse(c.bytes.data(), c.size, read));
        EXPECT_TRUE(read.substitute.empty());
        EXPECT_TRUE(read.print.empty());
    }
    // Zero lengths give empty names.
    UMountPointBuffer::Contents read;
    std::vector<uint8_t> empty(16, 0);
    ASSERT_TRUE(UMountPointBuffer::Parse(empty.data(), empty.size(), read));
    EXPECT_TRUE(read.substitute.empty() && read.print.empty());
}
