#pragma once
// The folders a new virtual link gets: its folder on the RAM disk and the backup name of its
// source folder, each the first free one.
#include <functional>
#include <string>

namespace UVlinkPaths {

// Whether a full path is taken.
using TakenFn = std::function<bool(const std::wstring& path)>;

// The source folder's own name: its last component, trailing separators ignored; empty for a
// drive root or an empty path.
std::wstring FolderName(const std::wstring& source);

// "\Vlink\<name>", or "\Vlink\<name>2", "...3" ..., the first whose full path "<drive>:\Vlink\..."
// is not taken; the result carries no drive (the tools program puts the letter in front).
// Empty when the source has no name.
std::wstring RamFolderFor(wchar_t drive, const std::wstring& source, const TakenFn& taken);

// "<source>_Backup", or "<source>_Backup1", "...2" ..., the first that is not taken. Empty when
// the source has no name.
std::wstring BackupFolderFor(const std::wstring& source, const TakenFn& taken);

}  // namespace UVlinkPaths
