#pragma once
// Firefox's disk cache on the RAM disk: the cache preference in the default profile's "user.js"
// (and one set by hand in "prefs.js"), with the cache content copied along.
#include <string>

namespace UBrowserFirefox {

// "%APPDATA%\Mozilla\Firefox", expanded.
std::wstring RoamingRoot();
// "%USERPROFILE%\AppData\Local\Mozilla\Firefox" from Vista on, before it
// "%USERPROFILE%\Local Settings\Application Data\Mozilla\Firefox", expanded.
std::wstring LocalRoot(bool vistaOrLater);

// The cache parent folder set in the profile's "user.js", else in its "prefs.js"; empty when
// neither sets it (a missing or unreadable file sets nothing).
std::wstring GetCacheParent(const std::wstring& profileFolder);

// The whole file; false when it cannot be read.
bool ReadPreferenceFile(const std::wstring& path, std::string& bytes);
// Writes the new text into a new file beside `path` and only then puts it in the old one's
// place, so that a failed write leaves the old file whole. False on failure (GetLastError).
bool ReplacePreferenceFile(const std::wstring& path, const std::string& bytes);

// Points the default profile of the Firefox in `root` at `target` (the caller has created it).
bool Apply(const std::wstring& root, const std::wstring& target, bool& changed);
// Takes the cache preference out of the default profile and deletes the old cache.
bool Undo(const std::wstring& root, bool& changed);

// A process named "Firefox.exe" runs.
bool IsRunning();

}  // namespace UBrowserFirefox
