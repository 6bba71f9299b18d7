#include "common/DataConverter.h"

#include <gtest/gtest.h>

#include <random>

#include "common/DataParser.h"

TEST(DataConverter, StringIsByteCountThenUtf16WithoutTerminator) {
    for (unsigned width : {8u, 4u}) {
        CDataConverter message(width);
        message.AppendString(std::wstring(L"C:\\a.ini"));
        message.AppendByte(1);
        ASSERT_EQ(message.Size(), width + 16 + 1) << "width " << width;
        EXPECT_EQ(message.Bytes()[0], 16);
        for (unsigned i = 1; i < width; ++i) EXPECT_EQ(message.Bytes()[i], 0);
        EXPECT_EQ(message.Bytes()[width], 'C');
        EXPECT_EQ(message.Bytes()[width + 1], 0);
        EXPECT_EQ(message.Bytes()[width + 2], ':');
        EXPECT_EQ(message.Bytes().back(), 1);
    }
}

TEST(DataConverter, BuildWidthFollowsTheSizeType) {
    CDataConverter message;
    EXPECT_EQ(message.LengthWidth(), sizeof(size_t));
    message.AppendString(std::wstring());
    EXPECT_EQ(message.Size(), sizeof(size_t)) << "an empty string is the count alone";
}

TEST(DataConverter, FieldsAreLittleEndianAndUnpadded) {
    CDataConverter message(8);
    message.AppendInt32(-2);
    message.AppendChar(u'r');
    message.AppendUInt64(0x7D000000ULL);
    const std::vector<uint8_t> expected = {0xFE, 0xFF, 0xFF, 0xFF, 'r', 0, 0x00, 0x00, 0x00, 0x7D, 0, 0, 0, 0};
    EXPECT_EQ(message.Bytes(), expected);
}

TEST(DataConverter, NonBmpTextSurvivesAsSurrogatePairs) {
    std::wstring text = L"\u81ea\u52d5";
    text.push_back(static_cast<wchar_t>(sizeof(wchar_t) > 2 ? 0x1F600 : 0xD83D));
    if (sizeof(wchar_t) == 2) text.push_back(static_cast<wchar_t>(0xDE00));
    CDataConverter message(8);
    message.AppendString(text);
    EXPECT_EQ(message.Size(), 8u + 8u) << "two BMP units and one surrogate pair";
    CDataParser parser(message.Bytes(), 8);
    std::wstring back;
    ASSERT_TRUE(parser.ReadString(back));
    EXPECT_EQ(back, text);
}

TEST(DataParser, RoundTripOfEveryFieldKind) {
    for (unsigned width : {8u, 4u}) {
        CDataConverter message(width);
        const uint8_t block[] = {9, 8, 7};
        message.AppendInt32(2);
        message.AppendString(std::wstring(L"src"));
        message.AppendChar(u'Z');
        message.AppendBlock(block, sizeof(block));
        message.AppendUInt64(~0ULL);
        message.AppendByte(0);

        CDataParser parser(message.Bytes(), width);
        int32_t kind;
        std::wstring text;
        char16_t letter;
        std::vector<uint8_t> bytes;
        uint64_t big;
        uint8_t flag;
        ASSERT_TRUE(parser.ReadInt32(kind));
        ASSERT_TRUE(parser.ReadString(text));
        ASSERT_TRUE(parser.ReadChar(letter));
        ASSERT_TRUE(parser.ReadBlock(bytes));
        ASSERT_TRUE(parser.ReadUInt64(big));
        ASSERT_TRUE(parser.ReadByte(flag));
        EXPECT_EQ(kind, 2);
        EXPECT_EQ(text, L"src");
        EXPECT_EQ(letter, u'Z');
        EXPECT_EQ(bytes, std::vector<uint8_t>(block, block + 3));
        EXPECT_EQ(big, ~0ULL);
        EXPECT_EQ(flag, 0);
        EXPECT_TRUE(parser.AtEnd());
        EXPECT_FALSE(parser.ReadByte(flag)) << "nothing past the end";
    }
}

TEST(DataParser, BadLengthsFailWithoutConsumingAnything) {
    // Count larger than what follows.
    CDataConverter tooLong(8);
    tooLong.AppendLength(10);
    tooLong.AppendChar(u'a');
    CDataParser p1(tooLong.Bytes(), 8);
    std::u16string s;
    EXPECT_FALSE(p1.ReadString(s));
    EXPECT_EQ(p1.Remaining(), tooLong.Size());

    // Odd byte count.
    CDataConverter odd(8);
    odd.AppendLength(3);
    odd.AppendChar(u'a');
    odd.AppendByte(0);
    CDataParser p2(odd.Bytes(), 8);
    EXPECT_FALSE(p2.ReadString(s));
    EXPECT_EQ(p2.Remaining(), odd.Size());

    // A count near 2^64 must not wrap around the remaining-size check.
    CDataConverter huge(8);
    huge.AppendLength(~0ULL - 1);
    CDataParser p3(huge.Bytes(), 8);
    std::vector<uint8_t> block;
    EXPECT_FALSE(p3.ReadBlock(block));
    EXPECT_FALSE(p3.ReadString(s));

    // A truncated length field.
    const uint8_t three[] = {1, 0, 0};
    CDataParser p4(three, sizeof(three), 4);
    uint64_t length;
    EXPECT_FALSE(p4.ReadLength(length));
    EXPECT_EQ(p4.Remaining(), 3u);

    CDataParser empty(nullptr, 12, 8);
    EXPECT_EQ(empty.Remaining(), 0u) << "no data means nothing to read";
}

TEST(DataParser, RandomBytesNeverReadPastTheEnd) {
    std::mt19937 random(12345);
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> bytes(random() % 40);
        for (auto& b : bytes) b = static_cast<uint8_t>(random() % 4 == 0 ? 0xFF : random() % 24);
        CDataParser parser(bytes, random() % 2 ? 8 : 4);
        size_t consumed = 0;
        for (int step = 0; step < 12 && !parser.AtEnd(); ++step) {
            size_t before = parser.Remaining();
            std::wstring text;
            std::vector<uint8_t> block;
            uint64_t value;
            bool ok;
            switch (random() % 4) {
                case 0:
                    ok = parser.ReadString(text);
                    break;
                case 1:
                    ok = parser.ReadBlock(block);
                    break;
                case 2:
                    ok = parser.ReadUInt64(value);
                    break;
                default:
                    ok = parser.ReadLength(value);
                    break;
            }
            if (!ok) {
                ASSERT_EQ(parser.Remaining(), before);
                continue;
            }
            ASSERT_LT(parser.Remaining(), before);
            consumed += before - parser.Remaining();
        }
        ASSERT_EQ(consumed + parser.Remaining(), bytes.size());
    }
}
