#pragma once
// The mount-point reparse buffer of a directory junction, as handed to and read from the file
// system: tag, data length, reserved, substitute name offset and length, print name offset and
// length (16-bit byte counts), then the path buffer with both names, each followed by a NUL.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace UMountPointBuffer {

constexpr uint32_t kMountPointTag = 0xA0000003;
constexpr size_t kHeaderSize = 16;  // up to the path buffer
constexpr size_t kReadBufferSize = 16384;

// The bytes to set: header and both names, reparse data length + 8 bytes in all. Empty when the
// names do not fit the 16-bit length fields.
std::vector<uint8_t> Build(const std::u16string& substitute, const std::u16string& print);

struct Contents {
    uint32_t tag = 0;
    std::u16string substitute;
    std::u16string print;
};

// Reads the tag and both names from the `size` bytes the file system returned. False when the
// header is incomplete, a name lies outside those bytes, or a name's length is odd; then
// `contents` is left empty. A zero length gives an empty name.
bool Parse(const uint8_t* data, size_t size, Contents& contents);

}  // namespace UMountPointBuffer
