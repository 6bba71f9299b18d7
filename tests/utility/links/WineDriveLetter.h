#pragma once
// A drive letter for a folder, removed again when the object goes. A disk is a link in the Wine
// prefix's dosdevices (as Wine's drives are; it reports NTFS whatever the Linux file system); a
// CD-ROM drive is defined through Wine's mount manager and reports "CDFS".
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/Handle.h"

class WineDriveLetter {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    using Spawn = long(CDECL*)(char* const argv[], int wait);

public:
    enum class Kind { Disk, Cdrom };

    WineDriveLetter(wchar_t letter, const std::wstring& folder, Kind kind = Kind::Disk)
        : m_letter(static_cast<wchar_t>(towlower(letter))), m_kind(kind) {
        auto toUnix = reinterpret_cast<ToUnix>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        m_spawn = reinterpret_cast<Spawn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
        char prefix[1024] = {};
        if (!toUnix || !m_spawn || !GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix))) return;
        char* unixFolder = toUnix(folder.c_str());
        if (!unixFolder) return;
        std::string target = unixFolder;
        HeapFree(GetProcessHeap(), 0, unixFolder);
        if (m_kind == Kind::Cdrom) {
            m_defined = Define(DRIVE_CDROM, target.c_str());
            return;
        }
        m_link = std::string(prefix) + "/dosdevices/" + static_cast<char>(m_letter) + ":";
        Run({"/bin/ln", "-sfn", target, m_link});
    }
    ~WineDriveLetter() {
        if (m_defined) Define(DRIVE_NO_ROOT_DIR, nullptr);
        if (!m_link.empty()) Run({"/bin/rm", "-f", m_link});
    }
    bool Works() const {
        const std::wstring root = std::wstring(1, m_letter) + L":\\";
        return (m_defined || !m_link.empty()) && GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

private:
    // The mount manager's request for a drive letter on a Unix folder, as Wine 8 lays it out
    // (ddk/mountmgr.h); type 0 removes the letter.
    struct UnixDrive {
        ULONG size, type, fsType;
        DWORD serial;
        ULONGLONG unixDevice;
        WCHAR letter;
        USHORT mountPointOffset, deviceOffset, labelOffset;
    };
    bool Define(ULONG type, const char* mountPoint) {
        std::vector<char> request(sizeof(UnixDrive) + (mountPoint ? strlen(mountPoint) + 1 : 0));
        UnixDrive* drive = reinterpret_cast<UnixDrive*>(request.data());
        drive->size = static_cast<ULONG>(request.size());
        drive->type = type;
        drive->letter = m_letter;
        if (mountPoint) {
            drive->mountPointOffset = sizeof(UnixDrive);
            strcpy(request.data() + sizeof(UnixDrive), mountPoint);
        }
        CHandle manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD returned = 0;
        const DWORD defineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
        return manager && DeviceIoControl(manager.Get(), defineUnixDrive, request.data(),
                                          static_cast<DWORD>(request.size()), nullptr, 0, &returned, nullptr);
    }
    void Run(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(&a[0]);
        argv.push_back(nullptr);
        m_spawn(argv.data(), 1);
    }
    wchar_t m_letter;
    Kind m_kind;
    Spawn m_spawn = nullptr;
    std::string m_link;
    bool m_defined = false;
};
