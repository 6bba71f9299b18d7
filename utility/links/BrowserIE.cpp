#include "utility/links/BrowserIE.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "framework/RegKey.h"
#include "utility/core/VelmoraEXCacheSettingData.h"
#include "utility/disk/FolderCreation.h"
#include "utility/disk/IEVersion.h"
#include "utility/links/FolderTree.h"
#include "utility/links/RemoveFolder.h"
#include "utility/links/ShellFolder.h"

namespace UBrowserIE {
namespace {

const wchar_t kCacheSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0";
const wchar_t kUserProfile[] = L"%USERPROFILE%";
constexpr DWORD kNameChars = 512;
constexpr DWORD kPathChars = 512;

std::wstring Lower(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// True when `path` is `folder` or lies inside it (without regard to case).
bool LiesIn(const std::wstring& path, const std::wstring& folder) {
    if (folder.empty() || path.size() < folder.size()) return false;
    if (!UFolderTree::SamePath(path.substr(0, folder.size()), folder)) return false;
    return path.size() == folder.size() || path[folder.size()] == L'\\' || folder.back() == L'\\';
}

std::wstring Expand(const std::wstring& text) {
    wchar_t buffer[kPathChars] = {};
    const DWORD n = ExpandEnvironmentStringsW(text.c_str(), buffer, kPathChars);
    return n == 0 || n > kPathChars ? text : std::wstring(buffer);
}

bool ReadString(HKEY key, const wchar_t* name, std::wstring& value) {
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS)
        return false;
    value = buffer.data();
    return true;
}

// Prepares a target that the shell folder already points at.
void PrepareTarget(int folder, const std::wstring& target, bool seed) {
    std::wstring defaultPath;
    if (!UShellFolder::GetDefault(folder, defaultPath) || UFolderTree::SamePath(defaultPath, target)) return;
    CreateDirectoryW(target.c_str(), nullptr);
    UFolderCreation::CreateFolderWithRights(target + L"\\low", UFolderCreation::AccessVariant::Everyone);
    if (seed) CopyFileW((defaultPath + L"\\desktop.ini").c_str(), (target + L"\\desktop.ini").c_str(), FALSE);
}

}  // namespace

bool MoveShellFolder(int folder, const std::wstring& target, bool seed, bool& changed) {
    changed = false;
    std::wstring current;
    if (UShellFolder::GetCurrent(folder, current)) {
        if (UFolderTree::SamePath(current, target)) {
            PrepareTarget(folder, target, seed);
            return true;
        }
        UFolderTree::Copy(current, target, true);
    }
    if (!UShellFolder::SetLocation(folder, target)) return false;
    changed = true;
    return true;
}

bool RestoreShellFolder(int folder, bool copy, bool& changed) {
    changed = false;
    std::wstring current, defaultPath;
    if (!UShellFolder::GetCurrent(folder, current) || !UShellFolder::GetDefault(folder, defaultPath)) return false;
    if (UFolderTree::SamePath(current, defaultPath)) return true;
    const bool set = UShellFolder::SetLocation(folder, defaultPath);
    changed = set;
    if (copy) UFolderTree::Copy(current, defaultPath, true);
    URemoveFolder::RemoveTree(current);
    return set;
}

void FixHistoryContainers(bool low, const std::wstring& oldPath, const std::wstring& newPath) {
    const std::wstring path = std::wstring(kCacheSettings) + (low ? L"\\LowCache" : L"\\Cache") + L"\\Extensible Cache";
    CRegKey containers;
    if (containers.Open(HKEY_CURRENT_USER, path.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kNameChars + 1] = {};
        DWORD length = kNameChars + 1;
        const LONG result = RegEnumKeyExW(containers.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) break;
        if (Lower(name).compare(0, 6, L"mshist") == 0) names.emplace_back(name);
    }
    const std::wstring profile = Expand(kUserProfile);
    for (const std::wstring& name : names) {
        CRegKey container;
        if (container.Open(containers.Get(), name.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS) continue;
        std::wstring cachePath;
        if (!ReadString(container.Get(), L"CachePath", cachePath)) cachePath.clear();
        std::wstring expanded = Expand(cachePath);
        if (!cachePath.empty() && LiesIn(expanded, oldPath)) {
            expanded = newPath + expanded.substr(oldPath.size());
            std::wstring stored = expanded;
            if (profile != kUserProfile && LiesIn(stored, profile))
                stored = kUserProfile + stored.substr(profile.size());
            RegSetValueExW(container.Get(), L"CachePath", 0, REG_EXPAND_SZ,
                           reinterpret_cast<const BYTE*>(stored.c_str()),
                           static_cast<DWORD>((stored.size() + 1) * sizeof(wchar_t)));
        }
        container.Reset();
        if (expanded.empty() || !UFolderTree::IsFolder(expanded)) RegDeleteKeyW(containers.Get(), name.c_str());
    }
}

void FixAllHistoryContainers(const std::wstring& oldPath, const std::wstring& newPath) {
    FixHistoryContainers(true, oldPath, newPath);
    FixHistoryContainers(false, oldPath, newPath);
}

bool ApplyCache(const std::wstring& root, bool& changed) {
    const std::wstring target = root + kIECacheFolder;
    CreateDirectoryW(target.c_str(), nullptr);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    return MoveShellFolder(CSIDL_INTERNET_CACHE, target, false, changed);
}

bool ApplyHistory(const std::wstring& root, bool seed, bool& changed) {
    const std::wstring target = root + kIEHistoryFolder;
    CreateDirectoryW(target.c_str(), nullptr);
    std::wstring old;
    UShellFolder::GetCurrent(CSIDL_HISTORY, old);
    if (!MoveShellFolder(CSIDL_HISTORY, target, seed, changed)) return false;
    FixAllHistoryContainers(old, target);
    return true;
}

bool UndoCache(bool& changed) { return RestoreShellFolder(CSIDL_INTERNET_CACHE, true, changed); }

bool UndoHistory(bool& changed) {
    std::wstring current, defaultPath;
    UShellFolder::GetCurrent(CSIDL_HISTORY, current);
    UShellFolder::GetDefault(CSIDL_HISTORY, defaultPath);
    if (!RestoreShellFolder(CSIDL_HISTORY, true, changed)) return false;
    FixAllHistoryContainers(current, defaultPath);
    return true;
}

bool CheckHistoryForIE10(int& restored) {
    CIEVersion version;
    version.Read();
    if (!version.IsVersion10()) return true;
    std::wstring current, defaultPath;
    UShellFolder::GetCurrent(CSIDL_HISTORY, current);
    UShellFolder::GetDefault(CSIDL_HISTORY, defaultPath);
    bool changed = false;
    if (!RestoreShellFolder(CSIDL_HISTORY, false, changed)) return true;
    if (changed) restored = 1;
    FixAllHistoryContainers(current, defaultPath);
    return true;
}

}  // namespace UBrowserIE
