#pragma once
// Deleting a folder with everything in it.
#include <string>

namespace URemoveFolder {

// Deletes every file (DeleteFileW) and every subfolder by the same walk, then the folder
// itself (RemoveDirectoryW). The first failure ends the walk: false, with the Windows error in
// GetLastError; what was deleted so far stays deleted. An empty path does nothing (true).
// A subfolder that is a junction or another reparse point is removed as a link, without
// entering it, so that its target's contents survive.
bool RemoveTree(const std::wstring& path);

}  // namespace URemoveFolder
