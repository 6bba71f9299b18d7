#pragma once
// Replies of the RAM-disk driver: the 63-byte status of create and query, the 8-byte reply of
// the other commands, the six control codes and the error codes the utility interprets.
#include <cstdint>
#include <cstddef>

const uint32_t IOCTL_RAMDISK_CREATE = 0x226004;
const uint32_t IOCTL_RAMDISK_REMOVE = 0x226008;
const uint32_t IOCTL_RAMDISK_QUERY = 0x22600C;
const uint32_t IOCTL_RAMDISK_SAVE_AND_REMOVE = 0x226010;
const uint32_t IOCTL_RAMDISK_SYNC_BEGIN = 0x226014;
const uint32_t IOCTL_RAMDISK_SYNC_END = 0x226018;

const uint32_t RAMDISK_ERROR_NO_MEMORY = 0x1000;
const uint32_t RAMDISK_ERROR_IMAGE = 0x2000;
const uint32_t RAMDISK_ERROR_IN_USE = 0x6001;

const uint64_t RAMDISK_IMAGE_PIECE_SIZE = 0x7D000000ULL;

#pragma pack(push, 1)
struct RamDiskStatus {
    uint32_t status;
    uint32_t error;
    uint16_t driveLetter;
    uint8_t imageMode;
    uint8_t reserved1[20];
    uint64_t unsavedFactor1;
    uint8_t reserved2[4];
    uint32_t unsavedFactor2;
    uint64_t sizeFigure1;
    uint64_t sizeFigure2;

    uint64_t UnsavedBytes() const { return unsavedFactor1 * unsavedFactor2; }
};

struct DriverReply {
    uint32_t status;
    uint32_t error;
};
#pragma pack(pop)

static_assert(sizeof(RamDiskStatus) == 63, "status reply is 63 bytes");
static_assert(offsetof(RamDiskStatus, unsavedFactor1) == 31, "first unsaved factor at 31");
static_assert(offsetof(RamDiskStatus, unsavedFactor2) == 43, "second unsaved factor at 43");
static_assert(offsetof(RamDiskStatus, sizeFigure1) == 47, "first size figure at 47");
static_assert(offsetof(RamDiskStatus, sizeFigure2) == 55, "second size figure at 55");
static_assert(sizeof(DriverReply) == 8, "driver reply is 8 bytes");
