#include "utility/disk/NtfsQuota.h"

#include "utility/disk/NtfsBytes.h"
#include "utility/disk/NtfsIndex.h"
#include "utility/disk/NtfsSecurity.h"

#include <cstring>
#include <vector>

using namespace UNtfsBytes;

namespace {

constexpr uint32_t kVersion = 2;
constexpr uint32_t kDefaultLimits = 0x00000001;
constexpr uint32_t kControlSize = 48;  // without the SID

// A quota control entry without limits; the SID follows unless it is empty.
std::vector<uint8_t> ControlEntry(uint64_t ntTime, const std::vector<uint8_t>& sid) {
    std::vector<uint8_t> v(kControlSize + sid.size(), 0);
    Put32(&v[0], kVersion);
    Put32(&v[4], kDefaultLimits);
    Put64(&v[8], 0);              // bytes used
    Put64(&v[16], ntTime);        // change time
    Put64(&v[24], ~uint64_t{0});  // threshold: none
    Put64(&v[32], ~uint64_t{0});  // limit: none
    Put64(&v[40], 0);             // exceeded time
    if (!sid.empty()) std::memcpy(&v[kControlSize], sid.data(), sid.size());
    return v;
}

std::vector<uint8_t> Ulong(uint32_t value) {
    std::vector<uint8_t> v(4);
    Put32(&v[0], value);
    return v;
}

}  // namespace

namespace UNtfsQuota {

void AddIndexEntries(CNtfsIndex& q, CNtfsIndex& o, uint64_t ntTime) {
    const std::vector<uint8_t> administrators = UNtfsSecurity::Sid(5, {32, 544});
    q.AddView(Ulong(kDefaultsId), ControlEntry(ntTime, {}));
    q.AddView(Ulong(kAdministratorsId), ControlEntry(ntTime, administrators));
    o.AddView(administrators, Ulong(kAdministratorsId));
}

}  // namespace UNtfsQuota
