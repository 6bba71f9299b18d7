#include "utility/links/BrowserChrome.h"

#include <windows.h>
#include <shlobj.h>

#include <list>

#include "common/Junction.h"
#include "framework/FindHandle.h"
#include "utility/disk/ProcessMgr.h"
#include "utility/links/FolderTree.h"
#include "utility/links/RemoveFolder.h"

namespace UBrowserChrome {
namespace {

const wchar_t kBackupSuffix[] = L"_Backup";

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring ParentOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

std::wstring CacheFolder() {
    wchar_t local[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local) != S_OK)
        return std::wstring();
    return std::wstring(local) + L"\\Google\\Chrome\\User Data\\Default\\Cache";
}

std::wstring BackupName(const std::wstring& cache) {
    if (cache.empty()) return std::wstring();
    std::wstring name = cache + kBackupSuffix;
    for (unsigned n = 1; Exists(name); ++n) name = cache + kBackupSuffix + std::to_wstring(n);
    return name;
}

std::vector<std::wstring> BackupFolders(const std::wstring& cache) {
    std::vector<std::wstring> folders;
    WIN32_FIND_DATAW data;
    CFindHandle find;
    if (!find.First((cache + kBackupSuffix + L"*").c_str(), data)) return folders;
    const std::wstring parent = ParentOf(cache);
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(parent + data.cFileName);
    } while (find.Next(data));
    return folders;
}

bool Apply(const std::wstring& cache, const std::wstring& ramFolder, const std::wstring& backup, bool& changed) {
    changed = false;
    if (cache.empty() || backup.empty()) return false;
    std::wstring target;
    if (UJunction::IsJunction(cache, &target)) {
        if (UFolderTree::SamePath(UJunction::StripNtPrefix(target), ramFolder)) return true;
        if (!UJunction::SetMountPoint(cache, L"\\??\\" + ramFolder, ramFolder)) return false;
        changed = true;
        return true;
    }
    if (!MoveFileExW(cache.c_str(), backup.c_str(), 0)) return false;
    if (!UJunction::Create(cache, ramFolder)) {
        const DWORD error = GetLastError();
        MoveFileExW(backup.c_str(), cache.c_str(), 0);
        SetLastError(error);
        return false;
    }
    changed = true;
    UFolderTree::Copy(backup, ramFolder, false);
    return true;
}

bool Undo(const std::wstring& cache, bool& changed) {
    changed = false;
    if (cache.empty()) return false;
    const std::vector<std::wstring> backups = BackupFolders(cache);
    std::wstring target;
    if (UJunction::IsJunction(cache, &target)) {
        target = UJunction::StripNtPrefix(target);
        if (!UJunction::Remove(cache)) return false;
        if (UFolderTree::IsFolder(target)) {
            if (!UFolderTree::Copy(target, cache, false)) return false;
            URemoveFolder::RemoveTree(target);
        } else if (!backups.empty() ? !UFolderTree::Copy(backups.front(), cache, false)
                                    : !CreateDirectoryW(cache.c_str(), nullptr)) {
            return false;
        }
    } else if (!Exists(cache) && !backups.empty() && !UFolderTree::Copy(backups.front(), cache, false)) {
        return false;
    }
    for (const std::wstring& folder : backups) URemoveFolder::RemoveTree(folder);
    changed = true;
    return true;
}

bool IsRunning() {
    CProcessMgr processes;
    std::list<uint32_t> ids;
    return processes.FindProcessesByFileName(L"Chrome.exe", ids);
}

}  // namespace UBrowserChrome
