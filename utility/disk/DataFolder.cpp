#include "utility/disk/DataFolder.h"

#include <windows.h>
#include <shlobj.h>

#include "framework/TaskMemory.h"
#include "utility/disk/FolderCreation.h"

namespace {
const wchar_t kCompanyFolder[] = L"Norvane";
const wchar_t kProductFolder[] = L"VelmoraEX";

std::wstring GetCommonAppDataFolder() {
    CTaskMemory<LPITEMIDLIST> pidl;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_COMMON_APPDATA, pidl.Put())) || !pidl) return {};
    wchar_t path[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDListW(pidl.Get(), path);
    return ok ? std::wstring(path) : std::wstring();
}
}  // namespace

std::wstring GetDataFolder() {
    std::wstring base = GetCommonAppDataFolder();
    if (base.empty()) return {};
    return JoinPath(JoinPath(base, kCompanyFolder), kProductFolder);
}

bool IsInDataFolder(const std::wstring& path) {
    std::wstring folder = GetDataFolder();
    if (folder.empty()) return false;
    folder = JoinPath(folder, L"");
    if (path.size() <= folder.size()) return false;
    return CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                                static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

bool EnsureDataFolder() {
    std::wstring base = GetCommonAppDataFolder();
    if (base.empty()) return false;
    std::wstring company = JoinPath(base, kCompanyFolder);
    UFolderCreation::CreateFolderPath(company, nullptr);
    UFolderCreation::CreateFolderWithRights(JoinPath(company, kProductFolder),
                                            UFolderCreation::AccessVariant::Interactive);
    DWORD attributes = GetFileAttributesW(GetDataFolder().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
