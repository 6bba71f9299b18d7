#pragma once
// What the property sheet edits for one disk: the old and new settings and what changed between them.
#include <cstdint>
#include <string>

#include "utility/core/VelmoraEXSettingData.h"

// ChangeFlags bits.
enum : uint32_t {
    CHANGE_LOAD_AT_STARTUP = 0x1,  // also: backup folder changed while the new SaveType is 0
    CHANGE_DRIVE_SIZE = 0x2,
    CHANGE_DRIVE_LETTER = 0x4,
    CHANGE_BACKUP_FOLDER = 0x8,
    CHANGE_BACKUP_ON = 0x10,
    CHANGE_BACKUP_OFF = 0x20,
    CHANGE_BACKUP_KIND = 0x40,
    CHANGE_MEM_TYPE = 0x80,
    CHANGE_FORMAT_TYPE = 0x200,
    CHANGE_LOAD_TYPE = 0x400,
    CHANGE_IE_CACHE = 0x1000,
    CHANGE_IE_HISTORY = 0x2000,
    CHANGE_FIREFOX_CACHE = 0x4000,
    CHANGE_CHROME_CACHE = 0x8000,
    // Backup switched on for a mounted disk with nothing else that forces re-creation:
    // the current contents can be kept and saved.
    CHANGE_BACKUP_ONLY_ON = 0x10000,
};

class CVelmoraEXPropertyData {
public:
    CVelmoraEXPropertyData() = default;
    CVelmoraEXPropertyData(const CVelmoraEXPropertyData&) = default;
    CVelmoraEXPropertyData& operator=(const CVelmoraEXPropertyData&) = default;
    virtual ~CVelmoraEXPropertyData() = default;

    // Sets ChangeFlags and NeedsRemount from NewSetting against OldSetting; mounted is 1 when
    // the disk is mounted now.
    void ComputeChanges(int32_t mounted);

    // 1 when the only re-creating change is switching the backup on for a mounted disk.
    int32_t IsBackupOnlySwitchedOn() const;

    int32_t IsNew = 0;
    int32_t NeedsRemount = 0;
    int32_t FromSheet = 0;
    uint32_t ChangeFlags = 0;
    CVelmoraEXSettingData NewSetting;
    CVelmoraEXSettingData OldSetting;
    std::wstring SettingsPath;
    int32_t PromotePending = 0;
    std::wstring PendingPath;
};
