#include "utility/links/BrowserFirefox.h"

#include <windows.h>

#include <list>

#include "framework/Handle.h"
#include "utility/disk/ProcessMgr.h"
#include "utility/links/FirefoxProfileIni.h"
#include "utility/links/FolderTree.h"
#include "utility/links/PreferenceLines.h"
#include "utility/links/RemoveFolder.h"
#include "utility/links/Utf8Text.h"

namespace UBrowserFirefox {
namespace {

constexpr DWORD kPathChars = 512;
const wchar_t kUserJs[] = L"user.js";
const wchar_t kPrefsJs[] = L"prefs.js";

std::wstring Expand(const wchar_t* text) {
    wchar_t buffer[kPathChars] = {};
    const DWORD n = ExpandEnvironmentStringsW(text, buffer, kPathChars);
    return n == 0 || n > kPathChars ? std::wstring() : std::wstring(buffer);
}

bool FileCachePreference(const std::wstring& path, std::wstring& folder) {
    std::string bytes, value;
    if (!ReadPreferenceFile(path, bytes) || !CPreferenceText(bytes).FindCachePreference(value)) return false;
    folder = UUtf8Text::ToWide(value);
    return true;
}

// Drops the cache preference from the file; true when the file no longer holds it.
bool RemoveFromFile(const std::wstring& path) {
    std::string bytes;
    if (!ReadPreferenceFile(path, bytes)) return true;
    CPreferenceText text(bytes);
    return text.RemoveCachePreference() == 0 || ReplacePreferenceFile(path, text.Bytes());
}

bool SetInFile(const std::wstring& path, const std::wstring& folder) {
    std::string bytes;
    if (!ReadPreferenceFile(path, bytes) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    CPreferenceText text(bytes);
    const bool differs = text.SetCachePreference(UUtf8Text::FromWide(folder), [&folder](const std::string& current) {
        return UFolderTree::SamePath(UUtf8Text::ToWide(current), folder);
    });
    return !differs || ReplacePreferenceFile(path, text.Bytes());
}

bool DefaultProfileFolder(const std::wstring& root, std::wstring& folder) {
    CFirefoxProfileIni ini;
    return ini.Load(root) && ini.GetDefaultProfileFolder(folder);
}

}  // namespace

std::wstring RoamingRoot() { return Expand(L"%APPDATA%\\Mozilla\\Firefox"); }

std::wstring LocalRoot(bool vistaOrLater) {
    return Expand(vistaOrLater ? L"%USERPROFILE%\\AppData\\Local\\Mozilla\\Firefox"
                               : L"%USERPROFILE%\\Local Settings\\Application Data\\Mozilla\\Firefox");
}

bool ReadPreferenceFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    const CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) return false;
    if (size.QuadPart > 0x40000000) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
        DWORD read = 0;
        if (!ReadFile(file.Get(), &bytes[done], chunk, &read, nullptr) || read == 0) break;
        done += read;
    }
    if (done != bytes.size()) {
        // A text read only in part must never be written back.
        bytes.clear();
        SetLastError(ERROR_READ_FAULT);
        return false;
    }
    return true;
}

bool ReplacePreferenceFile(const std::wstring& path, const std::string& bytes) {
    const std::wstring fresh = path + L".vmx-new";
    {
        const CHandle file(
            CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        size_t done = 0;
        bool written = true;
        while (written && done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
            DWORD wrote = 0;
            written = WriteFile(file.Get(), bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
            done += wrote;
        }
        if (!written || !FlushFileBuffers(file.Get())) {
            const DWORD error = GetLastError();
            DeleteFileW(fresh.c_str());
            SetLastError(error);
            return false;
        }
    }
    if (MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    DeleteFileW(fresh.c_str());
    SetLastError(error);
    return false;
}

std::wstring GetCacheParent(const std::wstring& profileFolder) {
    std::wstring folder;
    if (FileCachePreference(profileFolder + L'\\' + kUserJs, folder)) return folder;
    if (FileCachePreference(profileFolder + L'\\' + kPrefsJs, folder)) return folder;
    return std::wstring();
}

bool Apply(const std::wstring& root, const std::wstring& target, bool& changed) {
    changed = false;
    std::wstring profile;
    if (!DefaultProfileFolder(root, profile)) return false;
    const std::wstring current = GetCacheParent(profile);
    if (!current.empty() && UFolderTree::SamePath(current, target)) return true;
    if (!current.empty()) UFolderTree::Copy(current + L"\\Cache", target + L"\\Cache", false);
    // user.js first: it overrides prefs.js, so a failure in between never leaves no preference.
    if (!SetInFile(profile + L'\\' + kUserJs, target)) return false;
    changed = true;
    return RemoveFromFile(profile + L'\\' + kPrefsJs);
}

bool Undo(const std::wstring& root, bool& changed) {
    changed = false;
    CFirefoxProfileIni ini;
    std::wstring profile;
    if (!ini.Load(root) || !ini.GetDefaultProfileFolder(profile)) return false;
    const std::wstring current = GetCacheParent(profile);
    std::wstring unused;
    if (!FileCachePreference(profile + L'\\' + kUserJs, unused) &&
        !FileCachePreference(profile + L'\\' + kPrefsJs, unused))
        return true;
    const bool removed = RemoveFromFile(profile + L'\\' + kUserJs) && RemoveFromFile(profile + L'\\' + kPrefsJs);
    if (!removed) return false;
    changed = true;
    if (!current.empty()) URemoveFolder::RemoveTree(current + L"\\Cache");
    return true;
}

bool IsRunning() {
    CProcessMgr processes;
    std::list<uint32_t> ids;
    return processes.FindProcessesByFileName(L"Firefox.exe", ids);
}

}  // namespace UBrowserFirefox
