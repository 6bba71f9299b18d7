#include "standin/StandinRequest.h"

#include <gtest/gtest.h>

#include <random>

#include "common/DataConverter.h"
#include "utility/disk/RamDiskStatus.h"

using namespace UStandinRequest;

namespace {

const std::wstring kId = L"C:\\ProgramData\\Norvane\\VelmoraEX\\VelmoraEX0.ini";

// The input bytes of a command, laid out as a caller of the given length width sends them.
std::vector<uint8_t> Encode(uint32_t code, const Command& c, unsigned width) {
    CDataConverter out(width);
    if (code != IOCTL_STANDIN_STOP) out.AppendString(c.diskId);
    switch (code) {
        case IOCTL_RAMDISK_CREATE:
            out.AppendByte(c.imageMode);
            break;
        case IOCTL_RAMDISK_REMOVE:
            out.AppendChar(static_cast<char16_t>(c.letter));
            out.AppendByte(c.reserved);
            out.AppendByte(c.save);
            break;
        case IOCTL_RAMDISK_QUERY:
        case IOCTL_RAMDISK_SYNC_BEGIN:
        case IOCTL_RAMDISK_SYNC_END:
            out.AppendChar(static_cast<char16_t>(c.letter));
            break;
        case IOCTL_RAMDISK_SAVE_AND_REMOVE:
            out.AppendChar(static_cast<char16_t>(c.letter));
            out.AppendByte(c.reserved);
            out.AppendString(c.imagePath);
            out.AppendUInt64(c.pieceSize);
            break;
        case IOCTL_STANDIN_WRITE:
            out.AppendUInt64(c.offset);
            out.AppendBlock(c.data.data(), c.data.size());
            break;
        case IOCTL_STANDIN_READ:
            out.AppendUInt64(c.offset);
            out.AppendUInt32(c.length);
            break;
        case IOCTL_STANDIN_SET_IN_USE:
            out.AppendByte(c.inUse);
            break;
        default:
            break;
    }
    return out.Bytes();
}

uint32_t CodeOf(Kind kind) {
    switch (kind) {
        case Kind::Create:
            return IOCTL_RAMDISK_CREATE;
        case Kind::Remove:
            return IOCTL_RAMDISK_REMOVE;
        case Kind::Query:
            return IOCTL_RAMDISK_QUERY;
        case Kind::SaveAndRemove:
            return IOCTL_RAMDISK_SAVE_AND_REMOVE;
        case Kind::SyncBegin:
            return IOCTL_RAMDISK_SYNC_BEGIN;
        case Kind::SyncEnd:
            return IOCTL_RAMDISK_SYNC_END;
        case Kind::Write:
            return IOCTL_STANDIN_WRITE;
        case Kind::Read:
            return IOCTL_STANDIN_READ;
        case Kind::SetInUse:
            return IOCTL_STANDIN_SET_IN_USE;
        case Kind::Stop:
            return IOCTL_STANDIN_STOP;
    }
    return 0;
}

// One valid sample of every command.
std::vector<std::pair<uint32_t, Command>> Samples() {
    std::vector<std::pair<uint32_t, Command>> all;
    Command c;
    c.diskId = kId;
    c.imageMode = true;
    all.push_back({IOCTL_RAMDISK_CREATE, c});
    c = Command{};
    c.diskId = kId;
    c.letter = L'r';
    c.save = true;
    all.push_back({IOCTL_RAMDISK_REMOVE, c});
    c = Command{};
    c.diskId = kId;
    all.push_back({IOCTL_RAMDISK_QUERY, c});
    all.push_back({IOCTL_RAMDISK_SYNC_BEGIN, c});
    all.push_back({IOCTL_RAMDISK_SYNC_END, c});
    c.letter = L'S';
    c.imagePath = L"D:\\backup.v2\\VelmoraEX.dat";
    c.pieceSize = RAMDISK_IMAGE_PIECE_SIZE;
    all.push_back({IOCTL_RAMDISK_SAVE_AND_REMOVE, c});
    c = Command{};
    c.diskId = kId;
    c.offset = 2097147904ULL;
    c.data = {1, 2, 3, 4, 5};
    all.push_back({IOCTL_STANDIN_WRITE, c});
    c = Command{};
    c.diskId = kId;
    c.offset = 512;
    c.length = kMaxReadLength;
    all.push_back({IOCTL_STANDIN_READ, c});
    c = Command{};
    c.diskId = kId;
    c.inUse = true;
    all.push_back({IOCTL_STANDIN_SET_IN_USE, c});
    all.push_back({IOCTL_STANDIN_STOP, Command{}});
    return all;
}

bool DecodeOk(uint32_t code, unsigned width, const std::vector<uint8_t>& input, Command& out,
              uint32_t replySize = 4096) {
    Refusal refusal;
    return Decode(code, width, input, replySize, out, refusal);
}

uint32_t RefusalOf(uint32_t code, unsigned width, const std::vector<uint8_t>& input, uint32_t replySize = 4096) {
    Command out;
    Refusal refusal;
    EXPECT_FALSE(Decode(code, width, input, replySize, out, refusal));
    EXPECT_FALSE(refusal.reason.empty());
    return refusal.error;
}

}  // namespace

TEST(StandinRequest, EveryCommandDecodesAtBothWidthsAndReencodesToTheSameBytes) {
    for (unsigned width : {4u, 8u}) {
        for (const auto& sample : Samples()) {
            std::vector<uint8_t> input = Encode(sample.first, sample.second, width);
            Command decoded;
            ASSERT_TRUE(DecodeOk(sample.first, width, input, decoded))
                << std::hex << sample.first << " width " << width;
            EXPECT_EQ(CodeOf(decoded.kind), sample.first);
            EXPECT_EQ(decoded.diskId, sample.second.diskId);
            EXPECT_EQ(Encode(sample.first, decoded, width), input);
            // The same bytes read with the other width are not this command.
            Command other;
            unsigned otherWidth = width == 4 ? 8 : 4;
            if (sample.first != IOCTL_STANDIN_STOP) {
                EXPECT_FALSE(DecodeOk(sample.first, otherWidth, input, other)) << std::hex << sample.first;
            }
        }
    }
}

TEST(StandinRequest, CreateOfAnIdOfNUnitsIs2NPlus9BytesOr2NPlus5) {
    Command c;
    c.diskId = kId;
    EXPECT_EQ(Encode(IOCTL_RAMDISK_CREATE, c, 8).size(), 2 * kId.size() + 9);
    EXPECT_EQ(Encode(IOCTL_RAMDISK_CREATE, c, 4).size(), 2 * kId.size() + 5);
    Command decoded;
    ASSERT_TRUE(DecodeOk(IOCTL_RAMDISK_CREATE, 4, Encode(IOCTL_RAMDISK_CREATE, c, 4), decoded));
    EXPECT_EQ(decoded.replySize, 63u);
    EXPECT_FALSE(decoded.imageMode);
}

TEST(StandinRequest, ReplySizesAreTheDriversAndASmallerBufferIsRefused) {
    for (const auto& sample : Samples()) {
        std::vector<uint8_t> input = Encode(sample.first, sample.second, 8);
        Command decoded;
        ASSERT_TRUE(DecodeOk(sample.first, 8, input, decoded));
        uint32_t expected = sample.first == IOCTL_RAMDISK_CREATE || sample.first == IOCTL_RAMDISK_QUERY ? 63
                            : sample.first == IOCTL_STANDIN_READ                                        ? kMaxReadLength
                                                                                                        : 8;
        EXPECT_EQ(decoded.replySize, expected) << std::hex << sample.first;
        EXPECT_TRUE(DecodeOk(sample.first, 8, input, decoded, expected));
        EXPECT_EQ(RefusalOf(sample.first, 8, input, expected - 1), kErrorInsufficientBuffer);
    }
}

TEST(StandinRequest, ShortLongAndUnknownRequestsAreRefused) {
    for (const auto& sample : Samples()) {
        std::vector<uint8_t> input = Encode(sample.first, sample.second, 8);
        for (size_t cut = 0; cut < input.size(); ++cut) {
            std::vector<uint8_t> shorter(input.begin(), input.begin() + cut);
            EXPECT_EQ(RefusalOf(sample.first, 8, shorter), kErrorInvalidParameter)
                << std::hex << sample.first << " cut " << cut;
        }
        std::vector<uint8_t> longer = input;
        longer.push_back(0);
        EXPECT_EQ(RefusalOf(sample.first, 8, longer), kErrorInvalidParameter);
    }
    Command c;
    c.diskId = kId;
    auto query = Encode(IOCTL_RAMDISK_QUERY, c, 8);
    EXPECT_EQ(RefusalOf(0x22602C, 8, query), kErrorInvalidFunction);
    EXPECT_EQ(RefusalOf(0, 8, query), kErrorInvalidFunction);
    EXPECT_EQ(RefusalOf(IOCTL_RAMDISK_QUERY, 5, query), kErrorInvalidParameter);
}

TEST(StandinRequest, FieldValuesOutsideTheLayoutAreRefused) {
    Command c;
    c.diskId = kId;
    // Odd byte count of the DiskId, and a count past the end.
    auto query = Encode(IOCTL_RAMDISK_QUERY, c, 8);
    auto odd = query;
    odd[0] = static_cast<uint8_t>(odd[0] - 1);
    EXPECT_EQ(RefusalOf(IOCTL_RAMDISK_QUERY, 8, odd), kErrorInvalidParameter);
    auto huge = query;
    huge[7] = 0x80;
    EXPECT_EQ(RefusalOf(IOCTL_RAMDISK_QUERY, 8, huge), kErrorInvalidParameter);

    Command bad = c;
    bad.diskId = L"";
    EXPECT_EQ(RefusalOf(IOCTL_RAMDISK_QUERY, 8, Encode(IOCTL_RAMDISK_QUERY, bad, 8)), kErrorInvalidParameter);
    bad.diskId = std::wstring(L"C:\\a.ini") + L'\0' + L"x";
    EXPECT_EQ(RefusalOf(IOCTL_RAMDISK_QUERY, 8, Encode(IOCTL_RAMDISK_QUERY, bad, 8)), kErrorInvalidParameter)
        << "a zero inside the path would name another file";

    bad = c;
    bad.letter = L'1';
    EXPECT_EQ(RefusalOf(IOCTL_RAMDISK_QUERY, 8, Encode(IOCTL_RAMDISK_QUERY, bad, 8)), kErrorInvalidParameter);

    auto create = Encode(IOCTL_RAMDISK_CREATE, c, 8);
    create.back() = 2;
    EXPECT_EQ(RefusalOf(IOCTL_RAMDISK_CREATE, 8, create), kErrorInvalidParameter);
    auto remove = Encode(IOCTL_RAMDISK_REMOVE, c, 8);
    remove.back() = 7;
    EXPECT_EQ(RefusalOf(IOCTL_RAMDISK_REMOVE, 8, remove), kErrorInvalidParameter);
    remove.back() = 1;
    remove[remove.size() - 2] = 9;  // byte A is passed on whatever it is
    Command decoded;
    ASSERT_TRUE(DecodeOk(IOCTL_RAMDISK_REMOVE, 8, remove, decoded));
    EXPECT_EQ(decoded.reserved, 9);
    EXPECT_TRUE(decoded.save);

    bad = c;
    bad.imagePath = L"D:\\x\\VelmoraEX.dat";
    bad.pieceSize = 0;
    EXPECT_EQ(RefusalOf(IOCTL_RAMDISK_SAVE_AND_REMOVE, 8, Encode(IOCTL_RAMDISK_SAVE_AND_REMOVE, bad, 8)),
              kErrorInvalidParameter);
    bad.pieceSize = 512;
    bad.imagePath = L"";
    EXPECT_EQ(RefusalOf(IOCTL_RAMDISK_SAVE_AND_REMOVE, 8, Encode(IOCTL_RAMDISK_SAVE_AND_REMOVE, bad, 8)),
              kErrorInvalidParameter);

    bad = c;
    bad.length = kMaxReadLength + 1;
    EXPECT_EQ(RefusalOf(IOCTL_STANDIN_READ, 8, Encode(IOCTL_STANDIN_READ, bad, 8)), kErrorInvalidParameter);
    bad.length = 0;
    EXPECT_EQ(RefusalOf(IOCTL_STANDIN_READ, 8, Encode(IOCTL_STANDIN_READ, bad, 8)), kErrorInvalidParameter);
    bad = c;
    EXPECT_EQ(RefusalOf(IOCTL_STANDIN_WRITE, 8, Encode(IOCTL_STANDIN_WRITE, bad, 8)), kErrorInvalidParameter)
        << "an empty block writes nothing";
    EXPECT_EQ(RefusalOf(IOCTL_STANDIN_STOP, 8, {0}), kErrorInvalidParameter);
}

// Mutated requests never crash the decoder; whatever it accepts is a well-formed command whose
// bytes are exactly the input.
TEST(StandinRequestFuzz, MutatedRequestsAreRefusedOrRoundTrip) {
    std::mt19937 random(20240611);
    auto samples = Samples();
    const uint32_t codes[] = {IOCTL_RAMDISK_CREATE,
                              IOCTL_RAMDISK_REMOVE,
                              IOCTL_RAMDISK_QUERY,
                              IOCTL_RAMDISK_SAVE_AND_REMOVE,
                              IOCTL_RAMDISK_SYNC_BEGIN,
                              IOCTL_RAMDISK_SYNC_END,
                              IOCTL_STANDIN_WRITE,
                              IOCTL_STANDIN_READ,
                              IOCTL_STANDIN_SET_IN_USE,
                              IOCTL_STANDIN_STOP,
                              0x22602C,
                              0xFFFFFFFF};
    size_t accepted = 0, refused = 0;
    for (int round = 0; round < 60000; ++round) {
        const auto& sample = samples[random() % samples.size()];
        unsigned width = random() % 2 ? 8 : 4;
        std::vector<uint8_t> input = Encode(sample.first, sample.second, width);
        int edits = 1 + random() % 4;
        for (int e = 0; e < edits; ++e) {
            switch (random() % 5) {
                case 0:
                    if (!input.empty()) input[random() % input.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
                    break;
                case 1:
                    if (!input.empty()) input.resize(random() % input.size());
                    break;
                case 2:
                    input.insert(input.begin() + (input.empty() ? 0 : random() % input.size()),
                                 static_cast<uint8_t>(random()));
                    break;
                case 3:
                    if (!input.empty()) input[random() % input.size()] = static_cast<uint8_t>(random() % 3 ? 0 : 0xFF);
                    break;
                case 4:
                    if (!input.empty()) input.erase(input.begin() + random() % input.size());
                    break;
            }
        }
        uint32_t code = random() % 8 ? sample.first : codes[random() % (sizeof(codes) / sizeof(codes[0]))];
        unsigned decodeWidth = random() % 16 ? width : (random() % 2 ? 8 : 4);
        uint32_t replySize = random() % 4 ? 4096 : random() % 100;
        Command out;
        Refusal refusal;
        if (!Decode(code, decodeWidth, input, replySize, out, refusal)) {
            ++refused;
            ASSERT_TRUE(refusal.error == kErrorInvalidFunction || refusal.error == kErrorInvalidParameter ||
                        refusal.error == kErrorInsufficientBuffer);
            continue;
        }
        ++accepted;
        ASSERT_EQ(CodeOf(out.kind), code);
        ASSERT_LE(out.replySize, replySize);
        ASSERT_EQ(Encode(code, out, decodeWidth), input) << "round " << round;
        if (out.kind != Kind::Stop) {
            ASSERT_FALSE(out.diskId.empty());
            ASSERT_EQ(out.diskId.find(L'\0'), std::wstring::npos);
        }
        if (out.kind == Kind::Read) {
            ASSERT_TRUE(out.length >= 1 && out.length <= kMaxReadLength);
        }
    }
    EXPECT_GT(accepted, 1000u) << "mutations that keep the layout are still served";
    EXPECT_GT(refused, 10000u);
}
