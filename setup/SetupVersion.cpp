#include "setup/SetupVersion.h"

#include <algorithm>

namespace USetupVersion {

bool Parse(const std::wstring& text, std::vector<std::uint32_t>& fields) {
    std::vector<std::uint32_t> parsed;
    std::uint64_t value = 0;
    bool digits = false;
    for (wchar_t c : text) {
        if (c == L'.') {
            if (!digits) return false;
            parsed.push_back(static_cast<std::uint32_t>(value));
            value = 0;
            digits = false;
        } else if (c >= L'0' && c <= L'9') {
            value = value * 10 + static_cast<std::uint64_t>(c - L'0');
            if (value > UINT32_MAX) return false;
            digits = true;
        } else {
            return false;
        }
    }
    if (!digits) return false;
    parsed.push_back(static_cast<std::uint32_t>(value));
    fields.swap(parsed);
    return true;
}

EOrder Compare(const std::wstring& package, const std::wstring& installed) {
    std::vector<std::uint32_t> ours, theirs;
    if (!Parse(package, ours) || !Parse(installed, theirs)) return EOrder::Malformed;
    const std::size_t common = std::min(ours.size(), theirs.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (ours[i] != theirs[i]) return ours[i] < theirs[i] ? EOrder::Older : EOrder::Newer;
    }
    if (ours.size() == theirs.size()) return EOrder::Equal;
    return ours.size() < theirs.size() ? EOrder::Older : EOrder::Newer;
}

}  // namespace USetupVersion
