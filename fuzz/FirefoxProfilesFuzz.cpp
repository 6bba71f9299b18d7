// Profiles.ini as the profile API hands it out. The input is an INI text, read here by a small
// model of the profile API (sections and keys without regard to case, the first of each wins,
// values trimmed). The profiles are the sections Profile0, Profile1, ... up to the first without a
// Path, each as the file says; the default is the first marked "1", else the first; a relative
// folder is the root, one backslash and the path with "/" turned into "\", an absolute one the
// path unchanged.
#include <algorithm>
#include <cwctype>
#include <map>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "utility/links/FirefoxProfileRules.h"

using namespace UBrowserFirefox;

namespace {

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return s;
}

std::wstring Trim(const std::wstring& s) {
    const size_t first = s.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    return s.substr(first, s.find_last_not_of(L" \t") - first + 1);
}

using Ini = std::map<std::wstring, std::map<std::wstring, std::wstring>>;

Ini Parse(const uint8_t* data, size_t size) {
    Ini ini;
    std::wstring section, line;
    bool inSection = false;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != '\n' && data[i] != '\r') {
            line.push_back(static_cast<wchar_t>(data[i]));
            continue;
        }
        const std::wstring t = Trim(line);
        line.clear();
        if (!t.empty() && t[0] == L'[') {
            section =
                Lower(Trim(t.substr(1, t.find(L']') == std::wstring::npos ? std::wstring::npos : t.find(L']') - 1)));
            inSection = true;
            continue;
        }
        const size_t eq = t.find(L'=');
        if (!inSection || eq == std::wstring::npos) continue;
        ini[section].emplace(Lower(Trim(t.substr(0, eq))), Trim(t.substr(eq + 1)));
    }
    return ini;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Ini ini = Parse(data, size);
    auto value = [&ini](const std::wstring& section, const std::wstring& key) {
        auto s = ini.find(Lower(section));
        if (s == ini.end()) return std::wstring();
        auto k = s->second.find(Lower(key));
        return k == s->second.end() ? std::wstring() : k->second;
    };
    const std::vector<CFirefoxProfile> profiles = ReadProfiles(value);
    for (size_t i = 0; i < profiles.size(); ++i) {
        const std::wstring section = L"Profile" + std::to_wstring(i);
        FUZZ_CHECK(!profiles[i].Path.empty() && profiles[i].Path == value(section, L"Path"));
        FUZZ_CHECK(profiles[i].IsRelative == (value(section, L"IsRelative") == L"1"));
        FUZZ_CHECK(profiles[i].IsDefault == (value(section, L"Default") == L"1"));
    }
    FUZZ_CHECK(value(L"Profile" + std::to_wstring(profiles.size()), L"Path").empty());

    const int index = DefaultProfileIndex(profiles);
    if (profiles.empty()) {
        FUZZ_CHECK(index == -1);
        return 0;
    }
    FUZZ_CHECK(index >= 0 && static_cast<size_t>(index) < profiles.size());
    for (int i = 0; i < index; ++i) FUZZ_CHECK(!profiles[static_cast<size_t>(i)].IsDefault);
    FUZZ_CHECK(profiles[static_cast<size_t>(index)].IsDefault || index == 0);

    const std::wstring root = L"C:\\Roaming\\Mozilla\\Firefox";
    for (const CFirefoxProfile& profile : profiles) {
        const std::wstring folder = ProfileFolder(root, profile);
        if (!profile.IsRelative) {
            FUZZ_CHECK(folder == profile.Path);
            continue;
        }
        FUZZ_CHECK(folder.size() == root.size() + 1 + profile.Path.size());
        FUZZ_CHECK(folder.compare(0, root.size() + 1, root + L"\\") == 0);
        for (size_t k = 0; k < profile.Path.size(); ++k) {
            const wchar_t expected = profile.Path[k] == L'/' ? L'\\' : profile.Path[k];
            FUZZ_CHECK(folder[root.size() + 1 + k] == expected);
        }
    }
    return 0;
}
