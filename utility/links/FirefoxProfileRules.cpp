#include "utility/links/FirefoxProfileRules.h"

#include <algorithm>

namespace UBrowserFirefox {

std::vector<CFirefoxProfile> ReadProfiles(const ProfileValue& value) {
    std::vector<CFirefoxProfile> profiles;
    for (unsigned index = 0;; ++index) {
        const std::wstring section = L"Profile" + std::to_wstring(index);
        CFirefoxProfile profile;
        profile.Path = value(section, L"Path");
        if (profile.Path.empty()) break;
        profile.IsRelative = value(section, L"IsRelative") == L"1";
        profile.IsDefault = value(section, L"Default") == L"1";
        profiles.push_back(profile);
    }
    return profiles;
}

int DefaultProfileIndex(const std::vector<CFirefoxProfile>& profiles) {
    if (profiles.empty()) return -1;
    auto found = std::find_if(profiles.begin(), profiles.end(), [](const CFirefoxProfile& p) { return p.IsDefault; });
    return found == profiles.end() ? 0 : static_cast<int>(found - profiles.begin());
}

std::wstring ProfileFolder(const std::wstring& root, const CFirefoxProfile& profile) {
    if (!profile.IsRelative) return profile.Path;
    std::wstring path = profile.Path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return root + L'\\' + path;
}

}  // namespace UBrowserFirefox
