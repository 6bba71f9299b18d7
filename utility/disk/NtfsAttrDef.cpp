#include "utility/disk/NtfsAttrDef.h"

#include "utility/disk/NtfsBytes.h"

#include <cstring>

using namespace UNtfsBytes;

namespace {

constexpr uint32_t kIndexed = 0x02;
constexpr uint32_t kAlwaysResident = 0x40;
constexpr uint32_t kMayBeNonResident = 0x80;
constexpr uint64_t kUnlimited = ~uint64_t{0};

struct Definition {
    const char* name;
    uint32_t type;
    uint32_t flags;
    uint64_t minimum;
    uint64_t maximum;
};

constexpr Definition kDefinitions[] = {
    {"$STANDARD_INFORMATION", 0x10, kAlwaysResident, 48, 72},
    {"$ATTRIBUTE_LIST", 0x20, kMayBeNonResident, 0, kUnlimited},
    {"$FILE_NAME", 0x30, kAlwaysResident | kIndexed, 68, 578},
    {"$OBJECT_ID", 0x40, kAlwaysResident, 0, 256},
    {"$SECURITY_DESCRIPTOR", 0x50, kMayBeNonResident, 0, kUnlimited},
    {"$VOLUME_NAME", 0x60, kAlwaysResident, 2, 256},
    {"$VOLUME_INFORMATION", 0x70, kAlwaysResident, 12, 12},
    {"$DATA", 0x80, 0, 0, kUnlimited},
    {"$INDEX_ROOT", 0x90, kAlwaysResident, 0, kUnlimited},
    {"$INDEX_ALLOCATION", 0xA0, kMayBeNonResident, 0, kUnlimited},
    {"$BITMAP", 0xB0, kMayBeNonResident, 0, kUnlimited},
    {"$REPARSE_POINT", 0xC0, kMayBeNonResident, 0, 16384},
    {"$EA_INFORMATION", 0xD0, kAlwaysResident, 8, 8},
    {"$EA", 0xE0, 0, 0, 65536},
    {"$LOGGED_UTILITY_STREAM", 0x100, kMayBeNonResident, 0, 65536},
};

}  // namespace

namespace UNtfsAttrDef {

void Build(uint8_t* table) {
    std::memset(table, 0, kTableSize);
    uint8_t* entry = table;
    for (const Definition& d : kDefinitions) {
        for (size_t i = 0; d.name[i] != '\0'; ++i) Put16(entry + 2 * i, static_cast<uint8_t>(d.name[i]));
        Put32(entry + 0x80, d.type);
        Put32(entry + 0x84, 0);  // display rule
        Put32(entry + 0x88, 0);  // collation rule
        Put32(entry + 0x8C, d.flags);
        Put64(entry + 0x90, d.minimum);
        Put64(entry + 0x98, d.maximum);
        entry += kEntrySize;
    }
}

}  // namespace UNtfsAttrDef
