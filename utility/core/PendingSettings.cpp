#include "utility/core/PendingSettings.h"

#include <windows.h>

#include "utility/core/LoadSettings.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"

namespace UPendingSettings {

bool ReadUsable(const std::wstring& settingsPath, CVelmoraEXSettingData& pending) {
    const std::wstring pendingPath = USettingsPaths::GetPendingSettingsPath(settingsPath);
    if (GetFileAttributesW(pendingPath.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    USettingsFile::ReadRamDisk(pendingPath, pending);
    if (pending.DriveSize != 0 && pending.DriveLetter != 0) return true;
    DeleteFileW(pendingPath.c_str());
    return false;
}

void SetAsideForDeletion(const std::wstring& settingsPath) {
    ULoadSettings::UnregisterAtStartup(settingsPath);
    MoveFileExW(settingsPath.c_str(), USettingsPaths::GetPendingDeletionPath(settingsPath).c_str(),
                MOVEFILE_REPLACE_EXISTING);
}

}  // namespace UPendingSettings
