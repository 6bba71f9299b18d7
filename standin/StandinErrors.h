#pragma once
// Error words of the stand-in's replies. The utility interprets the first three; the others
// name the stand-in's own refusals.
#include <cstdint>

#include "utility/disk/RamDiskStatus.h"

// Status word of every failed reply.
const uint32_t kStandinStatusFailed = 1;

const uint32_t kStandinErrorNoMemory = RAMDISK_ERROR_NO_MEMORY;  // 0x1000
const uint32_t kStandinErrorImage = RAMDISK_ERROR_IMAGE;         // 0x2000
const uint32_t kStandinErrorInUse = RAMDISK_ERROR_IN_USE;        // 0x6001

// The settings file is missing, unreadable, too large or has no [RamDisk] section.
const uint32_t kStandinErrorSettingsFile = 0x3001;
// [RamDisk] holds no usable DriveSize (a positive multiple of 512), DriveLetter, FormatType
// for the size, or (with a backup) BackupBaseDir.
const uint32_t kStandinErrorSettingsValue = 0x3002;
// Create for a disk that exists already.
const uint32_t kStandinErrorDiskExists = 0x3003;
// The disk's letter is held by another disk or a drive, or no letter is free.
const uint32_t kStandinErrorLetter = 0x3004;
// No disk with this DiskId.
const uint32_t kStandinErrorUnknownDisk = 0x3005;
// The RAM storage could not be made, read or written.
const uint32_t kStandinErrorRamStorage = 0x3006;
// The empty volume could not be written.
const uint32_t kStandinErrorFormat = 0x3007;
// An offset, length or piece size outside what the disk allows.
const uint32_t kStandinErrorRange = 0x3008;
