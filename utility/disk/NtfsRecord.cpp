#include "utility/disk/NtfsRecord.h"

#include "utility/disk/NtfsBytes.h"
#include "utility/disk/NtfsTypes.h"

#include <cstring>
#include <vector>

using namespace UNtfsBytes;

namespace {

constexpr uint32_t kUsaOffset = 48;
constexpr uint32_t kResidentHeader = 24;
constexpr uint32_t kNonResidentHeader = 64;

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

// Orders attributes of one type: the unnamed one first, then by name.
int CompareNames(const std::u16string& a, const uint8_t* b, uint32_t bLength) {
    for (uint32_t i = 0; i < a.size() && i < bLength; ++i) {
        const char16_t x = Upper(a[i]);
        const char16_t y = Upper(static_cast<char16_t>(Get16(b + 2 * i)));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == bLength) return 0;
    return a.size() < bLength ? -1 : 1;
}

void PutName(uint8_t* p, const std::u16string& name) {
    for (size_t i = 0; i < name.size(); ++i) Put16(p + 2 * i, static_cast<uint16_t>(name[i]));
}

}  // namespace

uint32_t CNtfsRecord::FirstAttributeOffset(uint32_t recordSize) {
    const uint32_t count = recordSize < UNtfsTypes::FIXUP_BLOCK ? 1 : recordSize / UNtfsTypes::FIXUP_BLOCK + 1;
    return Align8(2 * count + kUsaOffset);
}

void CNtfsRecord::Format(uint32_t number, uint16_t sequence, uint16_t flags) {
    std::memset(m_buf, 0, m_size);
    std::memcpy(m_buf, "FILE", 4);
    const uint32_t count = m_size < UNtfsTypes::FIXUP_BLOCK ? 1 : m_size / UNtfsTypes::FIXUP_BLOCK + 1;
    const uint32_t first = FirstAttributeOffset(m_size);
    Put16(m_buf + 4, kUsaOffset);
    Put16(m_buf + 6, static_cast<uint16_t>(count));
    Put64(m_buf + 8, 0);
    Put16(m_buf + 16, sequence);
    Put16(m_buf + 18, 0);
    Put16(m_buf + 20, static_cast<uint16_t>(first));
    Put16(m_buf + 22, flags);
    Put32(m_buf + 24, Align8(first + 8));
    Put32(m_buf + 28, m_size);
    Put64(m_buf + 32, 0);
    Put16(m_buf + 40, 0);
    Put32(m_buf + 44, number);
    Put16(m_buf + kUsaOffset, 1);
    Put32(m_buf + first, UNtfsTypes::AT_END);
    Put32(m_buf + first + 4, 0);
}

void CNtfsRecord::AddFlags(uint16_t flags) { Put16(m_buf + 22, static_cast<uint16_t>(Get16(m_buf + 22) | flags)); }

void CNtfsRecord::AddLink() { Put16(m_buf + 18, static_cast<uint16_t>(Get16(m_buf + 18) + 1)); }

uint32_t CNtfsRecord::BytesInUse() const { return Get32(m_buf + 24); }

uint16_t CNtfsRecord::Flags() const { return Get16(m_buf + 22); }

uint16_t CNtfsRecord::LinkCount() const { return Get16(m_buf + 18); }

bool CNtfsRecord::Insert(uint32_t type, const std::u16string& name, uint8_t* attribute, uint32_t length) {
    const uint32_t inUse = BytesInUse();
    if (inUse + length > m_size) return false;
    uint32_t pos = Get16(m_buf + 20);
    while (pos + 8 <= inUse) {
        const uint32_t t = Get32(m_buf + pos);
        if (t == UNtfsTypes::AT_END || t > type) break;
        if (t == type && CompareNames(name, m_buf + pos + Get16(m_buf + pos + 10), m_buf[pos + 9]) < 0) break;
        pos += Get32(m_buf + pos + 4);
    }
    const uint16_t instance = Get16(m_buf + 40);
    Put16(attribute + 14, instance);
    Put16(m_buf + 40, static_cast<uint16_t>(instance + 1));
    std::memmove(m_buf + pos + length, m_buf + pos, inUse - pos);
    std::memcpy(m_buf + pos, attribute, length);
    Put32(m_buf + 24, inUse + length);
    return true;
}

bool CNtfsRecord::AddResident(uint32_t type, const std::u16string& name, const void* value, uint32_t length,
                              uint8_t residentFlags) {
    if (name.size() > 255) return false;
    const uint32_t valueOffset = Align8(kResidentHeader + 2 * static_cast<uint32_t>(name.size()));
    const uint32_t total = Align8(valueOffset + length);
    if (total > m_size) return false;
    std::vector<uint8_t> a(total, 0);
    Put32(&a[0], type);
    Put32(&a[4], total);
    a[8] = 0;
    a[9] = static_cast<uint8_t>(name.size());
    Put16(&a[10], name.empty() ? static_cast<uint16_t>(valueOffset) : kResidentHeader);
    Put16(&a[12], 0);
    Put32(&a[16], length);
    Put16(&a[20], static_cast<uint16_t>(valueOffset));
    a[22] = residentFlags;
    PutName(&a[kResidentHeader], name);
    if (length > 0) std::memcpy(&a[valueOffset], value, length);
    return Insert(type, name, a.data(), total);
}

bool CNtfsRecord::AddNonResident(uint32_t type, const std::u16string& name, const CNtfsRunList& runs,
                                 uint32_t clusterSize, uint64_t dataSize, uint64_t initializedSize) {
    if (name.size() > 255) return false;
    const std::vector<uint8_t> pairs = runs.Encode();
    const uint32_t pairsOffset = Align8(kNonResidentHeader + 2 * static_cast<uint32_t>(name.size()));
    const uint32_t total = Align8(pairsOffset + static_cast<uint32_t>(pairs.size()));
    if (total > m_size) return false;
    const uint64_t clusters = runs.Clusters();
    std::vector<uint8_t> a(total, 0);
    Put32(&a[0], type);
    Put32(&a[4], total);
    a[8] = 1;
    a[9] = static_cast<uint8_t>(name.size());
    Put16(&a[10], name.empty() ? static_cast<uint16_t>(pairsOffset) : kNonResidentHeader);
    Put16(&a[12], 0);
    Put64(&a[16], 0);
    Put64(&a[24], clusters - 1);
    Put16(&a[32], static_cast<uint16_t>(pairsOffset));
    Put64(&a[40], clusters * clusterSize);
    Put64(&a[48], dataSize);
    Put64(&a[56], initializedSize);
    PutName(&a[kNonResidentHeader], name);
    std::memcpy(&a[pairsOffset], pairs.data(), pairs.size());
    return Insert(type, name, a.data(), total);
}

uint8_t* CNtfsRecord::FindValue(uint32_t type, const std::u16string& name, uint32_t* length) {
    const uint32_t inUse = BytesInUse();
    uint32_t pos = Get16(m_buf + 20);
    while (pos + 8 <= inUse) {
        const uint32_t t = Get32(m_buf + pos);
        if (t == UNtfsTypes::AT_END) break;
        if (t == type && m_buf[pos + 8] == 0 &&
            CompareNames(name, m_buf + pos + Get16(m_buf + pos + 10), m_buf[pos + 9]) == 0) {
            if (length) *length = Get32(m_buf + pos + 16);
            return m_buf + pos + Get16(m_buf + pos + 20);
        }
        pos += Get32(m_buf + pos + 4);
    }
    return nullptr;
}
