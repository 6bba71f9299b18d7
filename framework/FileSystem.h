#pragma once
// Files, folders and volumes by path. Results are Windows error codes (0 for success) on every
// platform, so callers can throw them as CFileException system errors.
#include <cstdint>
#include <string>

namespace UFileSystem {

// The separator between folder and file names: '\' on Windows, '/' elsewhere.
wchar_t PathSeparator();

// folder + separator + name, without doubling a separator the folder already ends in.
std::wstring AppendName(const std::wstring& folder, const std::wstring& name);

// True when path names an existing file or folder.
bool Exists(const std::wstring& path);

// True when path names an existing file that is not a folder.
bool IsFile(const std::wstring& path);

// Creates one folder level (183 when it already exists).
long MakeFolder(const std::wstring& path);

// Removes an empty folder.
long RemoveFolder(const std::wstring& path);

long RemoveFile(const std::wstring& path);

// Asks for the file to be deleted at the next restart (Windows only; 50 elsewhere).
long ScheduleRemoveAtRestart(const std::wstring& path);

// Copies a file, replacing the target. Copying a file onto itself fails with 32.
long CopyFileOver(const std::wstring& from, const std::wstring& to);

// Bytes free to the caller on the volume that holds path. On Windows the volume is the drive
// named by the path's first character.
long QueryFreeBytes(const std::wstring& path, uint64_t& freeBytes);

// File-system name of the volume that holds path ("NTFS", "exFAT", "tmpfs", ...); empty when
// unknown. On Windows the volume is the drive named by the path's first character.
std::wstring FileSystemName(const std::wstring& path);

}  // namespace UFileSystem
