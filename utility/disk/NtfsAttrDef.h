#pragma once
// The $AttrDef table: one 160-byte definition per attribute type, ended by a zero entry.
#include <cstdint>

namespace UNtfsAttrDef {

constexpr uint32_t kEntrySize = 160;
constexpr uint32_t kTableSize = 16 * kEntrySize;  // 2560

// Fills table (kTableSize bytes).
void Build(uint8_t* table);

}  // namespace UNtfsAttrDef
