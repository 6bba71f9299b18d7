#include "common/MountPointBuffer.h"

namespace UMountPointBuffer {

namespace {

void Put16(std::vector<uint8_t>& bytes, size_t at, size_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

uint32_t Get(const uint8_t* data, size_t at, unsigned width) {
    uint32_t value = 0;
    for (unsigned i = 0; i < width; ++i) value |= uint32_t(data[at + i]) << (8 * i);
    return value;
}

void PutName(std::vector<uint8_t>& bytes, size_t at, const std::u16string& name) {
    for (char16_t unit : name) {
        Put16(bytes, at, unit);
        at += 2;
    }
}

// The name of `length` bytes at `offset` into the path buffer, when it lies inside `size`.
bool TakeName(const uint8_t* data, size_t size, size_t offset, size_t length, std::u16string& name) {
    if (length % 2 != 0) return false;
    const size_t start = kHeaderSize + offset;
    if (start > size || length > size - start) return false;
    name.resize(length / 2);
    for (size_t i = 0; i < name.size(); ++i) name[i] = static_cast<char16_t>(Get(data, start + 2 * i, 2));
    return true;
}

}  // namespace

std::vector<uint8_t> Build(const std::u16string& substitute, const std::u16string& print) {
    const size_t s = substitute.size(), p = print.size();
    const size_t dataLength = 2 * (s + p) + 12;
    if (dataLength > 0xFFFF) return {};
    // The allocation is 2 * (S + P) + 28 zero bytes; the file system gets data length + 8 of them.
    std::vector<uint8_t> bytes(2 * (s + p) + 28, 0);
    Put16(bytes, 0, kMountPointTag & 0xFFFF);
    Put16(bytes, 2, kMountPointTag >> 16);
    Put16(bytes, 4, dataLength);
    Put16(bytes, 8, 0);
    Put16(bytes, 10, 2 * s);
    Put16(bytes, 12, 2 * s + 2);
    Put16(bytes, 14, 2 * p);
    PutName(bytes, kHeaderSize, substitute);
    PutName(bytes, kHeaderSize + 2 * s + 2, print);
    bytes.resize(dataLength + 8);
    return bytes;
}

bool Parse(const uint8_t* data, size_t size, Contents& contents) {
    contents = Contents();
    if (size < kHeaderSize) return false;
    Contents read;
    read.tag = Get(data, 0, 4);
    if (!TakeName(data, size, Get(data, 8, 2), Get(data, 10, 2), read.substitute) ||
        !TakeName(data, size, Get(data, 12, 2), Get(data, 14, 2), read.print))
        return false;
    contents = std::move(read);
    return true;
}

}  // namespace UMountPointBuffer
