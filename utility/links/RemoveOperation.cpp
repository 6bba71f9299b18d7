#include "utility/links/RemoveOperation.h"

#include <windows.h>

#include "utility/core/LoadSettings.h"
#include "utility/core/SettingsPaths.h"
#include "utility/disk/BackupImage.h"
#include "utility/disk/DataFolder.h"

namespace URemoveOperation {

std::list<COperateData> BuildItems(const std::wstring& settingsPath, const CVelmoraEXSettingData& setting,
                                   int32_t delayAllowed) {
    std::list<COperateData> items;
    items.emplace_back(settingsPath, delayAllowed);
    // Without a folder the image names would be relative to wherever the program runs.
    if (setting.SaveType != SAVE_NONE && !setting.BackupBaseDir.empty()) {
        std::list<std::wstring> pieces;
        UBackupImage::ListImage(setting.BackupBaseDir, setting.DriveSize, pieces);
        for (const std::wstring& piece : pieces) items.emplace_back(piece, delayAllowed);
        if (IsInDataFolder(setting.BackupBaseDir)) items.emplace_back(setting.BackupBaseDir, delayAllowed);
    }
    std::wstring pending = USettingsPaths::GetPendingSettingsPath(settingsPath);
    if (GetFileAttributesW(pending.c_str()) != INVALID_FILE_ATTRIBUTES) items.emplace_back(pending, delayAllowed);
    return items;
}

int RemoveDiskSettings(const std::wstring& settingsPath, const CVelmoraEXSettingData& setting, int32_t& cleanupFlag) {
    return RemoveDiskSettings(settingsPath, setting, cleanupFlag, cleanupFlag);
}

int RemoveDiskSettings(const std::wstring& settingsPath, const CVelmoraEXSettingData& setting, int32_t delayAllowed,
                       int32_t& restartNeeded) {
    std::list<COperateData> items = BuildItems(settingsPath, setting, delayAllowed);
    ULoadSettings::UnregisterAtStartup(settingsPath);
    for (COperateData& item : items) {
        if (!item.Run(restartNeeded)) return 0;
    }
    return 1;
}

}  // namespace URemoveOperation
