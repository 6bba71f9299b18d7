#pragma once
// Copying a folder with everything in it (deleting one is URemoveFolder::RemoveTree).
#include <string>

namespace UFolderTree {

// Copies the tree of `source` into `target`: nothing when either path is empty or both are the
// same (without regard to case). Creates `target` (an existing folder is fine), copies each file
// over an existing one and each subfolder by the same walk; with `low`, a subfolder named "Low"
// is first created with full access for everyone. Subfolders that are junctions or other
// reparse points are not entered. The first failure ends the walk: false, with GetLastError;
// what was copied so far stays.
bool Copy(const std::wstring& source, const std::wstring& target, bool low);

// Paths compared as the file system does: without regard to case.
bool SamePath(const std::wstring& a, const std::wstring& b);

// True when `path` names an existing folder.
bool IsFolder(const std::wstring& path);

}  // namespace UFolderTree
