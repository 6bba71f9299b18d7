#pragma once
// The live part of a RAM disk, as last reported by the driver.
#include <cstdint>
#include <string>

// DiskOperation value of a disk with no operation in progress.
const int32_t kDiskOperationIdle = 1;

// Mode values.
enum : int32_t {
    MODE_NOT_MOUNTED = 0,
    MODE_MEMORY = 1,
    MODE_IMAGE = 2,  // the driver runs the disk from its image file
};

class CVelmoraEXStatus {
public:
    CVelmoraEXStatus() = default;
    CVelmoraEXStatus(const CVelmoraEXStatus&) = default;
    CVelmoraEXStatus& operator=(const CVelmoraEXStatus&) = default;
    virtual ~CVelmoraEXStatus() = default;

    wchar_t CurrentLetter = 0;  // 0 when not mounted
    std::wstring SettingsPath;  // the disk's identity
    int32_t DiskOperation = 0;
    int32_t Mode = MODE_NOT_MOUNTED;
    uint64_t DriverValue1 = 0;  // the driver's two size figures
    uint64_t DriverValue2 = 0;
    int32_t StartupVisited = 0;
};
