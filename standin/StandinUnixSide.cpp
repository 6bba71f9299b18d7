#include "standin/StandinUnixSide.h"

#include <winioctl.h>

#include <cstring>
#include <memory>
#include <vector>

#include "framework/Handle.h"

namespace UStandinUnixSide {

namespace {

// The mount manager's Unix-drive request, as Wine's mountmgr takes it.
const DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
const DWORD kQueryUnixDrive = CTL_CODE('m', 33, METHOD_BUFFERED, FILE_READ_ACCESS);

struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

struct HeapFreer {
    void operator()(void* text) const { HeapFree(GetProcessHeap(), 0, text); }
};

CHandle OpenMountManager(DWORD access) {
    return CHandle(CreateFileW(L"\\\\.\\MountPointManager", access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
}

bool Define(wchar_t letter, const std::string* unixFolder, DriveFileSystem fileSystem) {
    CHandle manager = OpenMountManager(GENERIC_READ | GENERIC_WRITE);
    if (!manager.IsValid()) return false;
    std::vector<char> buffer(sizeof(UnixDrive) + (unixFolder ? unixFolder->size() + 1 : 0));
    UnixDrive drive{};
    drive.size = static_cast<ULONG>(buffer.size());
    drive.type = unixFolder ? DRIVE_RAMDISK : DRIVE_NO_ROOT_DIR;
    drive.fsType = static_cast<ULONG>(fileSystem);
    drive.letter = static_cast<WCHAR>(towlower(letter));
    if (unixFolder) {
        drive.mountPointOffset = sizeof(UnixDrive);
        std::memcpy(buffer.data() + sizeof(UnixDrive), unixFolder->c_str(), unixFolder->size() + 1);
    }
    std::memcpy(buffer.data(), &drive, sizeof drive);
    DWORD returned = 0;
    return DeviceIoControl(manager.Get(), kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                           0, &returned, nullptr) != FALSE;
}

}  // namespace

std::string UnixName(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return std::string();
    std::unique_ptr<char, HeapFreer> name(toUnix(path.c_str()));
    return name ? std::string(name.get()) : std::string();
}

int RunScript(const std::string& script, DWORD timeoutMs) {
    // Wine's own spawn of a Unix program, waiting for it and giving its exit code; coreutils'
    // timeout ends it (124, or 137 after the kill) when it takes too long.
    using Spawn = long(CDECL*)(char* const argv[], int wait);
    const auto spawn = reinterpret_cast<Spawn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
    if (!spawn) return -1;
    std::string program = "timeout", kill = "-k", grace = "5", seconds = std::to_string((timeoutMs + 999) / 1000),
                shell = "/bin/sh", option = "-c", text = "exec </dev/null\n" + script;
    char* const argv[] = {&program[0], &kill[0], &grace[0], &seconds[0], &shell[0], &option[0], &text[0], nullptr};
    const long code = spawn(argv, 1);
    return code < 0 || code == 124 || code == 137 ? -1 : static_cast<int>(code);
}

bool DefineDrive(wchar_t letter, const std::string& unixFolder, DriveFileSystem fileSystem) {
    return Define(letter, &unixFolder, fileSystem);
}

bool RemoveDrive(wchar_t letter) { return Define(letter, nullptr, DriveFileSystem::Ntfs); }

std::string DriveFolder(wchar_t letter) {
    CHandle manager = OpenMountManager(GENERIC_READ);
    if (!manager.IsValid()) return std::string();
    UnixDrive query{};
    query.size = sizeof query;
    query.letter = static_cast<WCHAR>(towlower(letter));
    std::vector<char> reply(sizeof(UnixDrive) + 4096);
    DWORD returned = 0;
    if (!DeviceIoControl(manager.Get(), kQueryUnixDrive, &query, sizeof query, reply.data(),
                         static_cast<DWORD>(reply.size()), &returned, nullptr) ||
        returned < sizeof(UnixDrive))
        return std::string();
    UnixDrive drive;
    std::memcpy(&drive, reply.data(), sizeof drive);
    if (drive.mountPointOffset == 0 || drive.mountPointOffset >= returned) return std::string();
    const char* begin = reply.data() + drive.mountPointOffset;
    return std::string(begin, strnlen(begin, returned - drive.mountPointOffset));
}

}  // namespace UStandinUnixSide
