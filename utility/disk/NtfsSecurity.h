#pragma once
// Security descriptors of the new volume: the two shared ones kept in $Secure's $SDS
// stream and indexed by $SDH and $SII, and the root directory's own.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

class CNtfsIndex;

namespace UNtfsSecurity {

constexpr uint32_t kReadOnlyId = 0x100;       // SYSTEM and Administrators may read
constexpr uint32_t kReadWriteId = 0x101;      // SYSTEM and Administrators may read and write
constexpr uint32_t kSdsSize = 0x40000 + 252;  // the entries, then their copy 256 KiB on
constexpr uint32_t kSdsMirrorOffset = 0x40000;

// A binary SID S-1-<authority>-<sub authorities...>.
std::vector<uint8_t> Sid(uint8_t authority, std::initializer_list<uint32_t> subAuthorities);

// Self-relative descriptor: DACL allowing SYSTEM and Administrators accessMask, owner and
// group Administrators (104 bytes).
std::vector<uint8_t> SystemDescriptor(uint32_t accessMask);

// Descriptor of the root directory: full control for Administrators and SYSTEM,
// change for Everyone, all inherited by new files and folders.
std::vector<uint8_t> RootDescriptor();

// Hash that $SDH orders descriptors by.
uint32_t Hash(const uint8_t* descriptor, size_t length);

// The $SDS stream (kSdsSize bytes).
std::vector<uint8_t> SdsStream();

// Adds the entries of the two descriptors to $SDH (hash, id) and $SII (id).
void AddIndexEntries(CNtfsIndex& sdh, CNtfsIndex& sii);

}  // namespace UNtfsSecurity
