#pragma once
// The driver's LoadSettings registry key (HKEY_LOCAL_MACHINE): one REG_SZ value per settings file
// whose disk the driver creates at system start.
#include <map>
#include <string>

namespace ULoadSettings {

// "SYSTEM\CurrentControlSet\Services\VelmoraEX\Parameters\LoadSettings"
extern const wchar_t kLoadSettingsKey[];

// Value name -> settings-file path.
using LoadSettingsMap = std::map<std::wstring, std::wstring>;

// Every REG_SZ value of the key whatever its name; empty when the key cannot be opened.
// Data need not be zero-terminated; it is cut at its first zero character.
LoadSettingsMap ReadLoadSettings();

// True when some value's data equals settingsPath (case-insensitive).
bool IsRegisteredIn(const LoadSettingsMap& values, const std::wstring& settingsPath);
bool IsRegisteredAtStartup(const std::wstring& settingsPath);

// True, changing nothing, when already registered. Otherwise writes the path without a
// terminating zero to the first missing "StartUp<n>" (creating the key when needed) and
// returns false; nothing is written when the key cannot be created.
bool RegisterAtStartup(const std::wstring& settingsPath);

// Deletes the value(s) holding settingsPath: the Windows result (0 on success), or 1 when no
// value holds it.
long UnregisterAtStartup(const std::wstring& settingsPath);

}  // namespace ULoadSettings
