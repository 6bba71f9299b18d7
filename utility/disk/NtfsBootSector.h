#pragma once
// The 8192 bytes of $Boot: boot code with the boot sector's parameter block over it.
#include <cstdint>

class CNtfsLayout;

namespace UNtfsBootSector {

constexpr uint32_t kBootSize = 8192;

// Fills boot (kBootSize bytes) for the layout and serial number.
void Build(uint8_t* boot, const CNtfsLayout& layout, uint64_t serial);

// The byte that gives the size of an MFT record or index block: clusters when it is at
// least a cluster, else minus log2 of its size.
uint8_t SizeCode(uint32_t size, uint32_t clusterSize);

}  // namespace UNtfsBootSector
