#pragma once
// The default entries of $Quota's two indexes: $Q by owner id, $O by SID.
#include <cstdint>

class CNtfsIndex;

namespace UNtfsQuota {

constexpr uint32_t kDefaultsId = 1;            // the volume's default limits
constexpr uint32_t kAdministratorsId = 0x100;  // owner of the system files

// Adds the defaults entry and the Administrators entry to $Q and the latter's SID to $O.
void AddIndexEntries(CNtfsIndex& q, CNtfsIndex& o, uint64_t ntTime);

}  // namespace UNtfsQuota
