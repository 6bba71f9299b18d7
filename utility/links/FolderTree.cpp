#include "utility/links/FolderTree.h"

#include <windows.h>

#include "framework/FindHandle.h"
#include "utility/disk/FolderCreation.h"

namespace UFolderTree {

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Copy(const std::wstring& source, const std::wstring& target, bool low) {
    if (source.empty() || target.empty() || SamePath(source, target)) return true;
    if (!CreateDirectoryW(target.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    WIN32_FIND_DATAW data;
    CFindHandle find;
    if (!find.First((source + L"\\*").c_str(), data)) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring from = source + L'\\' + name, to = target + L'\\' + name;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) return false;
            continue;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if (low && SamePath(name, L"Low") &&
            !UFolderCreation::CreateFolderWithRights(to, UFolderCreation::AccessVariant::Everyone))
            return false;
        if (!Copy(from, to, false)) return false;
    } while (find.Next(data));
    return true;
}

}  // namespace UFolderTree
