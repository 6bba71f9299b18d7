#include "utility/links/RemoveFolder.h"

#include <windows.h>

#include "framework/FindHandle.h"

namespace URemoveFolder {

namespace {
std::wstring Child(const std::wstring& folder, const wchar_t* name) {
    std::wstring path = folder;
    if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path + name;
}

bool RemoveContents(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    CFindHandle search;
    if (!search.First(Child(folder, L"*").c_str(), data)) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return true;  // empty
        return false;
    }
    bool ok = true;
    do {
        if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) continue;
        std::wstring path = Child(folder, data.cFileName);
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ok = DeleteFileW(path.c_str()) != FALSE;
        else if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            ok = RemoveDirectoryW(path.c_str()) != FALSE;
        else
            ok = RemoveTree(path);
    } while (ok && search.Next(data));
    DWORD error = GetLastError();
    search.Reset();
    if (ok && error != ERROR_NO_MORE_FILES) return false;
    if (!ok) SetLastError(error);
    return ok;
}
}  // namespace

bool RemoveTree(const std::wstring& path) {
    if (path.empty()) return true;
    if (!RemoveContents(path)) return false;
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

}  // namespace URemoveFolder
