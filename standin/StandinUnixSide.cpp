#include "standin/StandinUnixSide.h"

#include <winioctl.h>

#include <cstring>
#include <memory>
#include <vector>

#include "framework/Handle.h"
#include "standin/StandinMountScripts.h"

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

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

std::wstring DosName(const char* unixName) {
    using ToDos = WCHAR*(CDECL*)(LPCSTR);
    auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (!toDos) return std::wstring();
    std::unique_ptr<WCHAR, HeapFreer> name(toDos(unixName));
    return name ? std::wstring(name.get()) : std::wstring();
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

int RunScript(const std::string& script, const std::wstring& workFolder, DWORD timeoutMs) {
    static LONG serial = 0;
    const std::wstring stem = workFolder + L"\\cmd-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(InterlockedIncrement(&serial));
    const std::wstring scriptPath = stem + L".sh", codePath = stem + L".rc";
    const std::string scriptUnix = UnixName(scriptPath), codeUnix = UnixName(codePath);
    if (scriptUnix.empty() || codeUnix.empty()) return -1;

    // The script runs in a subshell so that its own exit still leaves the code behind; the
    // code file appears whole, by rename.
    const std::string code = UStandinMountScripts::Quote(codeUnix),
                      partial = UStandinMountScripts::Quote(codeUnix + ".tmp");
    const std::string text =
        "(\n" + script + "\n) </dev/null\necho $? >" + partial + "\nmv " + partial + " " + code + "\n";
    bool written = false;
    {
        CHandle file(CreateFileW(scriptPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD count = 0;
        written = file.IsValid() &&
                  WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &count, nullptr) &&
                  count == text.size();
    }
    if (!written) {
        DeleteFileW(scriptPath.c_str());
        return -1;
    }
    // Wine starts a Unix program for a non-Windows executable, without a process handle: the
    // code file tells when it has ended.
    const std::wstring shell = DosName("/bin/sh");
    std::wstring commandLine = L"/bin/sh \"" + Wide(scriptUnix) + L"\"";
    if (shell.empty()) return -1;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    int exitCode = -1;
    if (CreateProcessW(shell.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CHandle processHandle(process.hProcess), threadHandle(process.hThread);
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            CHandle result(CreateFileW(codePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
            if (result.IsValid()) {
                char digits[16] = {};
                DWORD got = 0;
                if (ReadFile(result.Get(), digits, sizeof digits - 1, &got, nullptr) && got > 0)
                    exitCode = atoi(digits);
                break;
            }
            if (GetTickCount64() >= deadline) break;
            Sleep(5);
        }
    }
    DeleteFileW(scriptPath.c_str());
    DeleteFileW(codePath.c_str());
    return exitCode;
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
