#pragma once
// The Linux side of Wine, as the stand-in reaches it: Unix names of Windows paths, shell
// scripts run to their end, and drive letters defined through Wine's mount manager.
// Everything fails cleanly (empty name, -1, false) where the program does not run under Wine.
#include <windows.h>

#include <string>

namespace UStandinUnixSide {

// The Unix name (UTF-8) of a Windows path; empty when there is none.
std::string UnixName(const std::wstring& path);

// Runs script with /bin/sh (its input from /dev/null) and waits for its end, at most timeoutMs
// (rounded up to whole seconds): its exit code, or -1 when it could not be started or did not
// end in time.
int RunScript(const std::string& script, DWORD timeoutMs);

// File system reported for a defined drive.
enum class DriveFileSystem { Ntfs = 0, Fat = 1, Fat32 = 2 };

// Makes letter a RAM-disk drive (DRIVE_RAMDISK) of the Unix folder; false with the last error
// set when the mount manager refuses.
bool DefineDrive(wchar_t letter, const std::string& unixFolder, DriveFileSystem fileSystem);
// Removes the letter's drive.
bool RemoveDrive(wchar_t letter);
// The Unix folder the letter's drive stands for; empty when it is not such a drive.
std::string DriveFolder(wchar_t letter);

}  // namespace UStandinUnixSide
