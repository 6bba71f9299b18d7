#include "utility/disk/NtfsFixup.h"

#include "utility/disk/NtfsBytes.h"
#include "utility/disk/NtfsTypes.h"

#include <cstring>

using namespace UNtfsBytes;

namespace {

constexpr uint32_t kBlock = UNtfsTypes::FIXUP_BLOCK;

// Checks the header's array against the buffer; returns the array offset or 0.
uint32_t ArrayOffset(const uint8_t* buffer, uint32_t size) {
    if (size == 0 || size % kBlock != 0) return 0;
    const uint32_t offset = Get16(buffer + 4);
    const uint32_t count = Get16(buffer + 6);
    if (offset % 2 != 0 || offset < 8 || count == 0 || count - 1 != size / kBlock) return 0;
    if (offset + 2 * count > kBlock - 2) return 0;
    return offset;
}

bool IsUnprotectable(const uint8_t* buffer) {
    return std::memcmp(buffer, "BAAD", 4) == 0 || std::memcmp(buffer, "HOLE", 4) == 0;
}

}  // namespace

namespace UNtfsFixup {

bool Protect(uint8_t* buffer, uint32_t size) {
    if (size >= 4 && IsUnprotectable(buffer)) return true;
    const uint32_t offset = ArrayOffset(buffer, size);
    if (offset == 0) return false;
    uint16_t usn = static_cast<uint16_t>(Get16(buffer + offset) + 1);
    if (usn == 0xFFFF || usn == 0) usn = 1;
    Put16(buffer + offset, usn);
    for (uint32_t i = 0; i < size / kBlock; ++i) {
        uint8_t* end = buffer + (i + 1) * kBlock - 2;
        std::memcpy(buffer + offset + 2 + 2 * i, end, 2);
        Put16(end, usn);
    }
    return true;
}

bool Unprotect(uint8_t* buffer, uint32_t size) {
    if (size >= 4 && IsUnprotectable(buffer)) return true;
    const uint32_t offset = ArrayOffset(buffer, size);
    if (offset == 0) return false;
    const uint16_t usn = Get16(buffer + offset);
    for (uint32_t i = 0; i < size / kBlock; ++i) {
        if (Get16(buffer + (i + 1) * kBlock - 2) != usn) return false;
    }
    for (uint32_t i = 0; i < size / kBlock; ++i)
        std::memcpy(buffer + (i + 1) * kBlock - 2, buffer + offset + 2 + 2 * i, 2);
    return true;
}

}  // namespace UNtfsFixup
