#include "utility/disk/NtfsAttributeValue.h"

#include "utility/disk/NtfsBytes.h"
#include "utility/disk/NtfsTypes.h"

using namespace UNtfsBytes;

namespace UNtfsValue {

uint64_t NtTime(int64_t unixSeconds) { return static_cast<uint64_t>(unixSeconds + 11644473600ll) * 10000000ull; }

std::vector<uint8_t> StandardInformation(uint64_t ntTime, uint32_t fileAttributes, uint32_t securityId) {
    std::vector<uint8_t> v(72, 0);
    for (int i = 0; i < 4; ++i) Put64(&v[8 * i], ntTime);
    Put32(&v[32], fileAttributes);
    // Maximum versions, version, class id and owner id stay 0.
    Put32(&v[52], securityId);
    // Quota charged and update sequence number stay 0.
    return v;
}

std::vector<uint8_t> FileName(uint64_t parentReference, const std::u16string& name, uint64_t ntTime,
                              uint64_t allocatedSize, uint64_t dataSize, uint32_t fileAttributes) {
    std::vector<uint8_t> v(66 + 2 * name.size(), 0);
    Put64(&v[0], parentReference);
    for (int i = 0; i < 4; ++i) Put64(&v[8 + 8 * i], ntTime);
    Put64(&v[40], allocatedSize);
    Put64(&v[48], dataSize);
    Put32(&v[56], fileAttributes);
    v[64] = static_cast<uint8_t>(name.size());
    v[65] = UNtfsTypes::NAME_SPACE_WIN32_AND_DOS;
    for (size_t i = 0; i < name.size(); ++i) Put16(&v[66 + 2 * i], static_cast<uint16_t>(name[i]));
    return v;
}

std::vector<uint8_t> VolumeInformation(uint16_t flags) {
    std::vector<uint8_t> v(12, 0);
    v[8] = 3;
    v[9] = 1;
    Put16(&v[10], flags);
    return v;
}

}  // namespace UNtfsValue
