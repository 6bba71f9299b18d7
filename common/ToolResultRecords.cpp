#include "common/ToolResultRecords.h"

#include <cstring>
#include <type_traits>

namespace UToolResultRecords {
namespace {

// A record is a run of 32-bit fields without padding.
template <typename Record>
constexpr size_t FieldCount() {
    static_assert(std::is_trivially_copyable<Record>::value && sizeof(Record) == Record::kSize, "packed int32 fields");
    return Record::kSize / 4;
}

template <typename Record>
std::vector<uint8_t> EncodeFields(const Record& record) {
    int32_t fields[FieldCount<Record>()];
    std::memcpy(fields, &record, Record::kSize);
    std::vector<uint8_t> bytes;
    bytes.reserve(Record::kSize);
    for (size_t i = 0; i < FieldCount<Record>(); ++i) {
        const uint32_t value = static_cast<uint32_t>(fields[i]);
        for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(value >> (8 * b)));
    }
    return bytes;
}

template <typename Record>
bool DecodeFields(const std::vector<uint8_t>& bytes, Record& record) {
    if (bytes.size() != Record::kSize) return false;
    int32_t fields[FieldCount<Record>()];
    for (size_t i = 0; i < FieldCount<Record>(); ++i) {
        uint32_t value = 0;
        for (int b = 0; b < 4; ++b) value |= static_cast<uint32_t>(bytes[4 * i + b]) << (8 * b);
        fields[i] = static_cast<int32_t>(value);
    }
    std::memcpy(&record, fields, Record::kSize);
    return true;
}

}  // namespace

size_t RecordSize(int32_t command) {
    switch (command) {
        case TOOL_CREATE_LINK:
            return CCreateLinkRecord::kSize;
        case TOOL_REMOVE_LINK:
            return CRemoveLinkRecord::kSize;
        case TOOL_RELINK:
            return CRelinkRecord::kSize;
        default:
            return 0;
    }
}

std::vector<uint8_t> Encode(const CCreateLinkRecord& record) { return EncodeFields(record); }
std::vector<uint8_t> Encode(const CRemoveLinkRecord& record) { return EncodeFields(record); }
std::vector<uint8_t> Encode(const CRelinkRecord& record) { return EncodeFields(record); }
bool Decode(const std::vector<uint8_t>& bytes, CCreateLinkRecord& record) { return DecodeFields(bytes, record); }
bool Decode(const std::vector<uint8_t>& bytes, CRemoveLinkRecord& record) { return DecodeFields(bytes, record); }
bool Decode(const std::vector<uint8_t>& bytes, CRelinkRecord& record) { return DecodeFields(bytes, record); }

}  // namespace UToolResultRecords
