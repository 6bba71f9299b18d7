#include "utility/core/VMUThreadTaskRAMFolderEX.h"

#include <vector>

#include "utility/core/SettingsFile.h"
#include "utility/links/RemoveFolder.h"

std::wstring CVMUThreadTaskRAMFolderEX::FolderOf(wchar_t driveLetter, const std::wstring& name) {
    wchar_t upper =
        (driveLetter >= L'a' && driveLetter <= L'z') ? static_cast<wchar_t>(driveLetter - L'a' + L'A') : driveLetter;
    if (upper < L'A' || upper > L'Z') return {};
    // Only names made of ordinary components: anything else could name the root or a folder
    // outside it, and deleting that would take the whole disk's contents.
    bool anyComponent = false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = name.size();
        std::wstring component = name.substr(start, end - start);
        if (component == L"..") return {};
        if (!component.empty() && component != L".") anyComponent = true;
        start = end + 1;
    }
    if (!anyComponent || name.find(L':') != std::wstring::npos) return {};
    return std::wstring(1, upper) + L":\\" + name;
}

void CVMUThreadTaskRAMFolderEX::Execute() {
    std::vector<std::wstring> names;
    USettingsFile::ReadDeletePath(SettingsPath, names);
    if (names.empty()) return;
    for (const std::wstring& name : names) {
        std::wstring folder = FolderOf(DriveLetter, name);
        if (!folder.empty()) URemoveFolder::RemoveTree(folder);
    }
    USettingsFile::RemoveDeletePaths(SettingsPath, names);
}
