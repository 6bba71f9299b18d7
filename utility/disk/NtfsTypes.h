#pragma once
// On-disk constants of NTFS 3.1 used by the volume builder.
#include <cstdint>

namespace UNtfsTypes {

// Attribute types.
constexpr uint32_t AT_STANDARD_INFORMATION = 0x10;
constexpr uint32_t AT_ATTRIBUTE_LIST = 0x20;
constexpr uint32_t AT_FILE_NAME = 0x30;
constexpr uint32_t AT_OBJECT_ID = 0x40;
constexpr uint32_t AT_SECURITY_DESCRIPTOR = 0x50;
constexpr uint32_t AT_VOLUME_NAME = 0x60;
constexpr uint32_t AT_VOLUME_INFORMATION = 0x70;
constexpr uint32_t AT_DATA = 0x80;
constexpr uint32_t AT_INDEX_ROOT = 0x90;
constexpr uint32_t AT_INDEX_ALLOCATION = 0xA0;
constexpr uint32_t AT_BITMAP = 0xB0;
constexpr uint32_t AT_REPARSE_POINT = 0xC0;
constexpr uint32_t AT_EA_INFORMATION = 0xD0;
constexpr uint32_t AT_EA = 0xE0;
constexpr uint32_t AT_LOGGED_UTILITY_STREAM = 0x100;
constexpr uint32_t AT_END = 0xFFFFFFFF;

// System file record numbers.
constexpr uint32_t FILE_MFT = 0;
constexpr uint32_t FILE_MFTMIRR = 1;
constexpr uint32_t FILE_LOGFILE = 2;
constexpr uint32_t FILE_VOLUME = 3;
constexpr uint32_t FILE_ATTRDEF = 4;
constexpr uint32_t FILE_ROOT = 5;
constexpr uint32_t FILE_BITMAP = 6;
constexpr uint32_t FILE_BOOT = 7;
constexpr uint32_t FILE_BADCLUS = 8;
constexpr uint32_t FILE_SECURE = 9;
constexpr uint32_t FILE_UPCASE = 10;
constexpr uint32_t FILE_EXTEND = 11;
constexpr uint32_t FILE_QUOTA = 24;
constexpr uint32_t FILE_OBJID = 25;
constexpr uint32_t FILE_REPARSE = 26;
constexpr uint32_t SYSTEM_RECORDS = 27;

// MFT record header flags.
constexpr uint16_t RECORD_IN_USE = 0x0001;
constexpr uint16_t RECORD_IS_DIRECTORY = 0x0002;
constexpr uint16_t RECORD_IN_EXTEND = 0x0004;
constexpr uint16_t RECORD_IS_VIEW_INDEX = 0x0008;

// File attribute flags ($STANDARD_INFORMATION and $FILE_NAME).
constexpr uint32_t FILE_ATTR_HIDDEN = 0x00000002;
constexpr uint32_t FILE_ATTR_SYSTEM = 0x00000004;
constexpr uint32_t FILE_ATTR_ARCHIVE = 0x00000020;
constexpr uint32_t FILE_ATTR_NOT_CONTENT_INDEXED = 0x00002000;
constexpr uint32_t FILE_ATTR_DIRECTORY_INDEX = 0x10000000;
constexpr uint32_t FILE_ATTR_VIEW_INDEX = 0x20000000;

// Resident attribute flag of an indexed value.
constexpr uint8_t RESIDENT_INDEXED = 0x01;

// File-name name spaces.
constexpr uint8_t NAME_SPACE_WIN32_AND_DOS = 3;

// Collation rules of indexes.
constexpr uint32_t COLLATION_FILE_NAME = 0x01;
constexpr uint32_t COLLATION_ULONG = 0x10;
constexpr uint32_t COLLATION_SID = 0x11;
constexpr uint32_t COLLATION_SECURITY_HASH = 0x12;
constexpr uint32_t COLLATION_ULONGS = 0x13;

// Index entry and index header flags.
constexpr uint16_t INDEX_ENTRY_NODE = 0x0001;
constexpr uint16_t INDEX_ENTRY_END = 0x0002;
constexpr uint8_t INDEX_LARGE = 0x01;

// Volume information flag.
constexpr uint16_t VOLUME_IS_DIRTY = 0x0001;

// The fixed stride of update-sequence protection.
constexpr uint32_t FIXUP_BLOCK = 512;

// A file reference: record number in the low 48 bits, sequence number above.
constexpr uint64_t FileReference(uint64_t record, uint16_t sequence) {
    return record | (static_cast<uint64_t>(sequence) << 48);
}

}  // namespace UNtfsTypes
