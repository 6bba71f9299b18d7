#pragma once
// Firefox's profile list, read from its "Profiles.ini" through the profile API.
#include <string>
#include <vector>

#include "utility/links/FirefoxProfileRules.h"

namespace UBrowserFirefox {

class CFirefoxProfileIni {
public:
    // Reads "Profiles.ini" in `root` (the roaming root). False when the file is missing or lists
    // no profile.
    bool Load(const std::wstring& root);

    const std::vector<CFirefoxProfile>& Profiles() const { return m_profiles; }

    // The folder of the default profile; false when there is no profile.
    bool GetDefaultProfileFolder(std::wstring& folder) const;

private:
    std::wstring m_root;
    std::vector<CFirefoxProfile> m_profiles;
};

}  // namespace UBrowserFirefox
