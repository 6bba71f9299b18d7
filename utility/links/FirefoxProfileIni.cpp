#include "utility/links/FirefoxProfileIni.h"

#include <windows.h>

#include "utility/core/Profile.h"

namespace UBrowserFirefox {

bool CFirefoxProfileIni::Load(const std::wstring& root) {
    m_root = root;
    m_profiles.clear();
    const CProfile profile(root + L"\\Profiles.ini");
    if (GetFileAttributesW(profile.GetPath().c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    m_profiles = ReadProfiles(
        [&profile](const std::wstring& section, const std::wstring& key) { return profile.GetString(section, key); });
    return !m_profiles.empty();
}

bool CFirefoxProfileIni::GetDefaultProfileFolder(std::wstring& folder) const {
    const int index = DefaultProfileIndex(m_profiles);
    if (index < 0) return false;
    folder = ProfileFolder(m_root, m_profiles[static_cast<size_t>(index)]);
    return true;
}

}  // namespace UBrowserFirefox
