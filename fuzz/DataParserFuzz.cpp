// CDataParser against a model of the message layout. The input's first byte picks the length
// width (top bit) and the number of reads, the next bytes name the reads, the rest is the
// message. Each read must succeed exactly when the model says, give the model's value and
// consume the model's bytes; a failed read consumes nothing. The values read, written again by
// CDataConverter, are the bytes consumed, and read back the same at both length widths.
#include <algorithm>

#include "common/DataConverter.h"
#include "common/DataParser.h"
#include "fuzz/FuzzCheck.h"

namespace {

enum class Op : uint8_t { Int32, UInt32, UInt64, Byte, Char, Length, String, WString, Block, Count };

struct Value {
    Op op = Op::Byte;
    uint64_t number = 0;         // fixed-width reads
    std::u16string units;        // String, WString
    std::vector<uint8_t> block;  // Block

    bool operator==(const Value& o) const {
        return op == o.op && number == o.number && units == o.units && block == o.block;
    }
};

unsigned FixedWidth(Op op, unsigned lengthWidth) {
    switch (op) {
        case Op::Int32:
        case Op::UInt32:
            return 4;
        case Op::UInt64:
            return 8;
        case Op::Byte:
            return 1;
        case Op::Char:
            return 2;
        case Op::Length:
            return lengthWidth;
        default:
            return 0;
    }
}

bool ReadValue(CDataParser& parser, Op op, Value& v) {
    v = Value{};
    v.op = op;
    bool ok = false;
    switch (op) {
        case Op::Int32: {
            int32_t x = 0;
            ok = parser.ReadInt32(x);
            v.number = static_cast<uint32_t>(x);
            break;
        }
        case Op::UInt32: {
            uint32_t x = 0;
            ok = parser.ReadUInt32(x);
            v.number = x;
            break;
        }
        case Op::UInt64:
            ok = parser.ReadUInt64(v.number);
            break;
        case Op::Byte: {
            uint8_t x = 0;
            ok = parser.ReadByte(x);
            v.number = x;
            break;
        }
        case Op::Char: {
            char16_t x = 0;
            ok = parser.ReadChar(x);
            v.number = x;
            break;
        }
        case Op::Length:
            ok = parser.ReadLength(v.number);
            break;
        case Op::String:
            ok = parser.ReadString(v.units);
            break;
        case Op::WString: {
            std::wstring text;
            ok = parser.ReadString(text);
            v.units = ToUtf16(text);
            break;
        }
        case Op::Block:
            ok = parser.ReadBlock(v.block);
            break;
        case Op::Count:
            break;
    }
    return ok;
}

void WriteValue(CDataConverter& out, const Value& v) {
    switch (v.op) {
        case Op::Int32:
            out.AppendInt32(static_cast<int32_t>(static_cast<uint32_t>(v.number)));
            break;
        case Op::UInt32:
            out.AppendUInt32(static_cast<uint32_t>(v.number));
            break;
        case Op::UInt64:
            out.AppendUInt64(v.number);
            break;
        case Op::Byte:
            out.AppendByte(static_cast<uint8_t>(v.number));
            break;
        case Op::Char:
            out.AppendChar(static_cast<char16_t>(v.number));
            break;
        case Op::Length:
            out.AppendLength(v.number);
            break;
        case Op::String:
            out.AppendString(v.units);
            break;
        case Op::WString:
            out.AppendString(FromUtf16(v.units));
            break;
        case Op::Block:
            out.AppendBlock(v.block.data(), v.block.size());
            break;
        case Op::Count:
            break;
    }
}

// The model: what a read of op at pos must give, and how many bytes it takes; false when the
// read must fail (too few bytes, a count past the end, an odd string byte count).
bool Expect(const std::vector<uint8_t>& message, size_t pos, Op op, unsigned lengthWidth, Value& v, size_t& used) {
    v = Value{};
    v.op = op;
    const size_t remaining = message.size() - pos;
    const uint8_t* at = message.data() + pos;
    if (unsigned width = FixedWidth(op, lengthWidth)) {
        if (remaining < width) return false;
        v.number = LittleEndian(at, width);
        used = width;
        return true;
    }
    if (remaining < lengthWidth) return false;
    const uint64_t count = LittleEndian(at, lengthWidth);
    if (count > remaining - lengthWidth || (op != Op::Block && count % 2 != 0)) return false;
    const uint8_t* bytes = at + lengthWidth;
    if (op == Op::Block) {
        v.block.assign(bytes, bytes + count);
    } else {
        for (size_t i = 0; i < count; i += 2) v.units.push_back(static_cast<char16_t>(LittleEndian(bytes + i, 2)));
    }
    used = lengthWidth + static_cast<size_t>(count);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const unsigned lengthWidth = (data[0] & 0x80) ? 8 : 4;
    const size_t reads = std::min<size_t>(data[0] & 0x7F, size - 1);
    const uint8_t* ops = data + 1;
    const std::vector<uint8_t> message(data + 1 + reads, data + size);

    CDataParser parser(message, lengthWidth);
    FUZZ_CHECK(parser.Remaining() == message.size());
    std::vector<Value> values;
    size_t pos = 0;
    for (size_t i = 0; i < reads; ++i) {
        const Op op = static_cast<Op>(ops[i] % static_cast<uint8_t>(Op::Count));
        const size_t before = parser.Remaining();
        Value got, expected;
        size_t used = 0;
        const bool ok = ReadValue(parser, op, got);
        FUZZ_CHECK(ok == Expect(message, pos, op, lengthWidth, expected, used));
        FUZZ_CHECK(parser.Remaining() <= before);
        if (!ok) {
            FUZZ_CHECK(parser.Remaining() == before);
            continue;
        }
        FUZZ_CHECK(got == expected);
        FUZZ_CHECK(before - parser.Remaining() == used);
        pos += used;
        values.push_back(got);
    }
    FUZZ_CHECK(parser.Remaining() == message.size() - pos);
    FUZZ_CHECK(parser.AtEnd() == (pos == message.size()));

    // Written again: the bytes consumed at the input's width, the same values at either width.
    for (unsigned width : {4u, 8u}) {
        CDataConverter out(width);
        for (const Value& v : values) WriteValue(out, v);
        if (width == lengthWidth)
            FUZZ_CHECK(out.Bytes() == std::vector<uint8_t>(message.begin(), message.begin() + pos));
        CDataParser back(out.Bytes(), width);
        for (Value v : values) {
            if (v.op == Op::Length && width == 4) v.number &= 0xFFFFFFFFu;  // a 32-bit caller's length
            Value again;
            FUZZ_CHECK(ReadValue(back, v.op, again));
            FUZZ_CHECK(again == v);
        }
        FUZZ_CHECK(back.AtEnd());
    }
    return 0;
}
