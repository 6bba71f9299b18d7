#pragma once
// Directory junctions: a directory whose mount-point reparse data points at another folder.
// Every primitive reports failure as false with GetLastError set by the failing call.
#include <windows.h>

#include <string>

namespace UJunction {

// True when the file system of the drive's root is NTFS.
bool IsNtfs(wchar_t driveLetter);

// Creates the directory `link` and points it at `target` ("\??\" + target, print name target).
// Fails with ERROR_ALREADY_EXISTS when anything is at `link`; a directory it created is removed
// again when the reparse point cannot be set.
bool Create(const std::wstring& link, const std::wstring& target);

// Sets (or replaces) the mount point of the existing directory. An empty substitute name fails
// with ERROR_INVALID_PARAMETER without touching the directory.
bool SetMountPoint(const std::wstring& directory, const std::wstring& substitute, const std::wstring& print);

// Reads the reparse tag and both names of `path`; the names are emptied first. Reparse data that
// does not hold its names fails with ERROR_INVALID_REPARSE_DATA.
bool Read(const std::wstring& path, DWORD& tag, std::wstring& substitute, std::wstring& print);

// True when `path` is a directory with mount-point reparse data; `target` (emptied first) gets
// the substitute name, "\??\" included.
bool IsJunction(const std::wstring& path, std::wstring* target = nullptr);

// Removes the junction `link`, leaving its target alone; true also when `link` is missing or no
// junction (nothing to do).
bool Remove(const std::wstring& link);

// `target` without a leading "\??\" (any case).
std::wstring StripNtPrefix(const std::wstring& target);

}  // namespace UJunction
