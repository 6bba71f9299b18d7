#include "utility/disk/DataFolder.h"

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\') return folder + name;
    return folder + L'\\' + name;
}
