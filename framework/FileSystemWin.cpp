#include "framework/FileSystem.h"

#include <windows.h>

#include "framework/FindHandle.h"

namespace UFileSystem {

namespace {
long Result(BOOL ok) { return ok ? 0 : static_cast<long>(GetLastError()); }

std::wstring DriveOf(const std::wstring& path) {
    std::wstring root;
    root += path.empty() ? L'\0' : path[0];
    root += L':';
    return root;
}
}  // namespace

wchar_t PathSeparator() { return L'\\'; }

std::wstring AppendName(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L'\\' + name;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFile(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    CFindHandle find;
    if (!find.First(path.c_str(), data)) return false;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

long MakeFolder(const std::wstring& path) { return Result(CreateDirectoryW(path.c_str(), nullptr)); }

long RemoveFolder(const std::wstring& path) { return Result(RemoveDirectoryW(path.c_str())); }

long RemoveFile(const std::wstring& path) { return Result(DeleteFileW(path.c_str())); }

long ScheduleRemoveAtRestart(const std::wstring& path) {
    return Result(MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
}

long CopyFileOver(const std::wstring& from, const std::wstring& to) {
    if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return 0;
    long code = static_cast<long>(GetLastError());
    return code ? code : ERROR_GEN_FAILURE;
}

long QueryFreeBytes(const std::wstring& path, uint64_t& freeBytes) {
    freeBytes = 0;
    std::wstring root = DriveOf(path);
    typedef BOOL(WINAPI * FreeSpaceEx)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FreeSpaceEx query =
        kernel ? reinterpret_cast<FreeSpaceEx>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExW")))
               : nullptr;
    if (query) {
        ULARGE_INTEGER available, total, totalFree;
        if (!query(root.c_str(), &available, &total, &totalFree)) return static_cast<long>(GetLastError());
        freeBytes = available.QuadPart;
        return 0;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    root += L'\\';  // this older call wants the root directory itself
    if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return static_cast<long>(GetLastError());
    freeBytes = static_cast<uint64_t>(freeClusters) * sectorsPerCluster * bytesPerSector;
    return 0;
}

std::wstring FileSystemName(const std::wstring& path) {
    std::wstring root = DriveOf(path) + L'\\';
    wchar_t name[512] = {};
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name, 512)) return std::wstring();
    return name;
}

}  // namespace UFileSystem
