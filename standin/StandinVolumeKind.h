#pragma once
// Which file system a disk's volume has, from its boot sector, and only when the sector's fields
// are sound enough to hand the volume to a file-system program (one given a cluster size of 0
// divides by it). Portable.
#include <cstddef>
#include <cstdint>

namespace UStandinVolumeKind {

enum class Kind { None, Ntfs, Fat, Fat32 };

// The kind of the volume whose first length bytes these are; None when they are fewer than 512,
// lack the 0x55 0xAA mark, or describe no sound NTFS or FAT volume. Only the first 512 bytes count.
Kind Of(const uint8_t* sector, size_t length);

}  // namespace UStandinVolumeKind
