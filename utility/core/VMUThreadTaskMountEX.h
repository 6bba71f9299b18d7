#pragma once
// Task 10: create (mount) a RAM disk in the driver.
#include <string>

#include "utility/core/VMUThreadTaskHeader.h"
#include "utility/disk/RamDiskStatus.h"

enum : int32_t {
    MOUNT_FIRST_ATTEMPT = 1,
    MOUNT_IMAGE_MODE_RETRY = 2,  // after a memory shortage: waits first, asks for image mode
};

class CVMUThreadTaskMountEX : public CVMUThreadTaskHeader {
public:
    // Wait before a second attempt after a memory shortage.
    static const unsigned kRetryDelayMs = 5000;

    CVMUThreadTaskMountEX() : CVMUThreadTaskHeader(TASK_MOUNT) {}

    // Result: -1 when the driver could not be opened or failed without a code, else the
    // reply's error field (0 on success). Reply holds the driver's status reply.
    void Execute() override;

    std::wstring SettingsPath;
    int32_t MountKind = 0;
    // Kept for the window thread, which sets and reads them.
    int32_t RetryAllowed = 0;
    int32_t Recreated = 0;
    int32_t ShowErrorBox = 0;
    RamDiskStatus Reply{};
};
