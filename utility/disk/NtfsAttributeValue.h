#pragma once
// The values of the small resident attributes every system file carries.
#include <cstdint>
#include <string>
#include <vector>

namespace UNtfsValue {

// NT time (100 ns units since 1601) of a time in seconds since 1970.
uint64_t NtTime(int64_t unixSeconds);

// $STANDARD_INFORMATION in its 72-byte form.
std::vector<uint8_t> StandardInformation(uint64_t ntTime, uint32_t fileAttributes, uint32_t securityId);

// $FILE_NAME in the Win32-and-DOS name space.
std::vector<uint8_t> FileName(uint64_t parentReference, const std::u16string& name, uint64_t ntTime,
                              uint64_t allocatedSize, uint64_t dataSize, uint32_t fileAttributes);

// $VOLUME_INFORMATION for version 3.1.
std::vector<uint8_t> VolumeInformation(uint16_t flags);

}  // namespace UNtfsValue
