#include "utility/core/VelmoraEXPropertyData.h"

namespace {
// Changes after which the disk's current contents cannot simply be kept.
const uint32_t kRecreatingChanges = CHANGE_DRIVE_SIZE | CHANGE_BACKUP_OFF | CHANGE_BACKUP_ON | CHANGE_FORMAT_TYPE;

const uint32_t kRemountChanges = CHANGE_DRIVE_SIZE | CHANGE_DRIVE_LETTER | CHANGE_BACKUP_FOLDER | CHANGE_BACKUP_ON |
                                 CHANGE_BACKUP_OFF | CHANGE_BACKUP_KIND | CHANGE_MEM_TYPE | CHANGE_FORMAT_TYPE |
                                 CHANGE_BACKUP_ONLY_ON;

bool OnlyBackupSwitchedOn(uint32_t flags) { return (flags & CHANGE_BACKUP_ONLY_ON) && !(flags & kRecreatingChanges); }
}  // namespace

void CVelmoraEXPropertyData::ComputeChanges(int32_t mounted) {
    const CVelmoraEXSettingData& o = OldSetting;
    const CVelmoraEXSettingData& n = NewSetting;
    uint32_t flags = 0;

    if (n.LoadAtStartup != o.LoadAtStartup) flags |= CHANGE_LOAD_AT_STARTUP;
    if (n.DriveSize != o.DriveSize) flags |= CHANGE_DRIVE_SIZE;
    if (n.DriveLetter != o.DriveLetter) flags |= CHANGE_DRIVE_LETTER;
    if (n.FormatType != o.FormatType) flags |= CHANGE_FORMAT_TYPE;

    if (n.SaveType != o.SaveType) {
        if (o.SaveType == SAVE_NONE) {
            if (mounted == 0 || (flags & kRecreatingChanges))
                flags |= CHANGE_BACKUP_ON;
            else
                flags |= CHANGE_BACKUP_ONLY_ON;
        } else if (n.SaveType != SAVE_NONE) {
            flags |= CHANGE_BACKUP_KIND;
        } else {
            flags |= CHANGE_BACKUP_OFF;
        }
    }

    if (n.BackupBaseDir != o.BackupBaseDir) {
        if (n.SaveType == SAVE_NONE)
            flags |= CHANGE_LOAD_AT_STARTUP;
        else if (!OnlyBackupSwitchedOn(flags))
            flags |= CHANGE_BACKUP_FOLDER;
    }

    if (n.MemType != o.MemType) flags |= CHANGE_MEM_TYPE;
    if (n.LoadType != o.LoadType) flags |= CHANGE_LOAD_TYPE;
    const CVelmoraEXCacheSettingData& oc = o.CacheSetting;
    const CVelmoraEXCacheSettingData& nc = n.CacheSetting;
    if (nc.IECache != oc.IECache) flags |= CHANGE_IE_CACHE;
    if (nc.IEHistory != oc.IEHistory) flags |= CHANGE_IE_HISTORY;
    if (nc.FirefoxCache != oc.FirefoxCache) flags |= CHANGE_FIREFOX_CACHE;
    if (nc.ChromeCache != oc.ChromeCache) flags |= CHANGE_CHROME_CACHE;

    ChangeFlags = flags;
    NeedsRemount = (mounted != 0 && (flags & kRemountChanges)) ? 1 : 0;
}

int32_t CVelmoraEXPropertyData::IsBackupOnlySwitchedOn() const { return OnlyBackupSwitchedOn(ChangeFlags) ? 1 : 0; }
