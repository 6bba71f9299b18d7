#pragma once
// The persistent settings of one RAM disk: the [RamDisk] section of its settings file, plus
// LoadAtStartup, which mirrors the disk's registration under the driver's LoadSettings key.
#include <cstdint>
#include <string>

#include "utility/core/VelmoraEXCacheSettingData.h"

// DriveLetter value meaning "assign any free letter" (stored as kAutomaticLetterText).
const unsigned char kDriveLetterAutomatic = 255;

// SaveType values.
enum : int32_t {
    SAVE_NONE = 0,
    SAVE_AT_LOGOFF = 1,
    SAVE_WRITE_BACK = 2,
    SAVE_WRITE_THROUGH = 3,
};

// LoadType values (0, the default, is shown as normal).
enum : int32_t {
    LOAD_NORMAL = 1,
    LOAD_FAST = 2,
};

// FormatType values kept in settings files.
enum : int32_t {
    FORMAT_TYPE_NTFS = 4,
    FORMAT_TYPE_FAT_AUTO = 0x20000,
};

class CVelmoraEXSettingData {
public:
    CVelmoraEXSettingData() = default;
    CVelmoraEXSettingData(const CVelmoraEXSettingData&) = default;
    CVelmoraEXSettingData& operator=(const CVelmoraEXSettingData&) = default;
    virtual ~CVelmoraEXSettingData() = default;

    int32_t LoadAtStartup = 0;
    unsigned char DriveLetter = 0;  // 'A'..'Z', 'a'..'z', kDriveLetterAutomatic; 0 unset
    uint64_t DriveSize = 0;         // bytes; 0 unset
    std::wstring BackupBaseDir;
    int32_t SaveType = 0;
    int32_t LoadType = 0;
    int32_t FormatType = 0;
    int32_t MemType = 0;
    CVelmoraEXCacheSettingData CacheSetting;
};
