#pragma once
// What a Firefox "Profiles.ini" says, read through a key lookup: the profiles of the sections
// "Profile0", "Profile1", ... up to the first without a "Path", the default profile and each
// profile's folder.
#include <functional>
#include <string>
#include <vector>

namespace UBrowserFirefox {

struct CFirefoxProfile {
    std::wstring Path;
    bool IsRelative = false;  // "IsRelative" is exactly "1"
    bool IsDefault = false;   // "Default" is exactly "1"
};

// Value of a key in a section; empty when either is missing.
using ProfileValue = std::function<std::wstring(const std::wstring& section, const std::wstring& key)>;

std::vector<CFirefoxProfile> ReadProfiles(const ProfileValue& value);

// Index of the first profile marked default, else 0; -1 when there is none.
int DefaultProfileIndex(const std::vector<CFirefoxProfile>& profiles);

// A relative profile: root, a backslash and the path with every "/" turned into "\"; otherwise
// the path as it is.
std::wstring ProfileFolder(const std::wstring& root, const CFirefoxProfile& profile);

}  // namespace UBrowserFirefox
