#pragma once
// Full paths of the files and folders the settings layer uses. The data folder itself is
// GetDataFolder (utility/disk/DataFolder.h).
#include <string>

namespace USettingsPaths {

std::wstring GetOptionFile();        // <data folder>\Option.ini
std::wstring GetIEDeleteFile();      // <data folder>\IEDelete.ini
std::wstring GetToolsProgramPath();  // <folder of the running program>\VelmoraEXTools.exe

// For the first n from 0 for which neither "VelmoraEX<n>.ini" nor "Backup<n>" exists in the data
// folder (as a file or a folder), the settings-file path and the backup-folder path of that n.
void GetNewSettingsPaths(std::wstring& settingsPath, std::wstring& backupFolder);
// The first "Backup<n>" from 0 that does not exist in the data folder.
std::wstring GetNewBackupFolder();

// path with its extension replaced by ".bak", ".del" or ".ini".
std::wstring GetPendingSettingsPath(const std::wstring& path);
std::wstring GetPendingDeletionPath(const std::wstring& path);
std::wstring GetSettingsPathOf(const std::wstring& path);

}  // namespace USettingsPaths
