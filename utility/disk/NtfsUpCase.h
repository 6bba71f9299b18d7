#pragma once
// The volume's upper-case table ($UpCase): for each UTF-16 unit the unit that file-name
// comparison folds it to. It is built from three compact tables.
#include <cstdint>

namespace UNtfsUpCase {

constexpr uint32_t kUnits = 65536;

// A run of units that all move by the same offset.
struct Range {
    uint16_t first;
    uint16_t last;
    int32_t offset;
};

// A run of upper/lower pairs: first+1, first+3, ... up to last map to the unit before.
struct Alternating {
    uint16_t first;
    uint16_t last;
};

// One unit with its upper case.
struct Single {
    uint16_t unit;
    uint16_t upper;
};

// Fills table (kUnits entries).
void Build(uint16_t* table);

// The compact tables, for checks.
const Range* Ranges(uint32_t* count);
const Alternating* AlternatingRanges(uint32_t* count);
const Single* Singles(uint32_t* count);

}  // namespace UNtfsUpCase
