#include "utility/core/SettingsPaths.h"

#include <windows.h>

#include <climits>
#include <vector>

#include "framework/FindHandle.h"
#include "utility/core/SettingsRules.h"
#include "utility/disk/DataFolder.h"

namespace USettingsPaths {

namespace {

// True when a file search finds the exact name (a file or a folder).
bool NameExists(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    CFindHandle search;
    return search.First(path.c_str(), data);
}

std::wstring GetProgramFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            size_t slash = path.find_last_of(L"\\/");
            return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::wstring GetOptionFile() { return JoinPath(GetDataFolder(), USettingsRules::kOptionFileName); }

std::wstring GetIEDeleteFile() { return JoinPath(GetDataFolder(), USettingsRules::kIEDeleteFileName); }

std::wstring GetToolsProgramPath() { return JoinPath(GetProgramFolder(), USettingsRules::kToolsProgramName); }

void GetNewSettingsPaths(std::wstring& settingsPath, std::wstring& backupFolder) {
    const std::wstring folder = GetDataFolder();
    for (int n = 0; n < INT_MAX; ++n) {
        std::wstring settings = JoinPath(folder, USettingsRules::SettingsFileName(n));
        std::wstring backup = JoinPath(folder, USettingsRules::BackupFolderName(n));
        if (!NameExists(settings) && !NameExists(backup)) {
            settingsPath = settings;
            backupFolder = backup;
            return;
        }
    }
}

std::wstring GetNewBackupFolder() {
    const std::wstring folder = GetDataFolder();
    for (int n = 0; n < INT_MAX; ++n) {
        std::wstring backup = JoinPath(folder, USettingsRules::BackupFolderName(n));
        if (!NameExists(backup)) return backup;
    }
    return {};
}

std::wstring GetPendingSettingsPath(const std::wstring& path) {
    return USettingsRules::ReplaceExtension(path, USettingsRules::kPendingSettingsExtension);
}

std::wstring GetPendingDeletionPath(const std::wstring& path) {
    return USettingsRules::ReplaceExtension(path, USettingsRules::kPendingDeletionExtension);
}

std::wstring GetSettingsPathOf(const std::wstring& path) {
    return USettingsRules::ReplaceExtension(path, USettingsRules::kSettingsExtension);
}

}  // namespace USettingsPaths
