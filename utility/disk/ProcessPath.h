#pragma once
// Rules for the image paths the process manager reads: turning a native path into a
// drive path, taking the file name the way the C runtime splits paths, and comparing
// paths and names without regard to case.
#include <string>
#include <utility>
#include <vector>

namespace UProcessPath {

// The four parts of a path as the runtime's path splitter gives them: drive ("C:"),
// folder (up to and including the last separator), base name and extension (from the
// last dot of the last component). Parts are kept whole, also beyond the runtime's
// 255-unit buffers, where its splitter cuts or empties them instead.
struct SplitParts {
    std::wstring drive;
    std::wstring dir;
    std::wstring fname;
    std::wstring ext;
};
SplitParts SplitPath(const std::wstring& path);

// Base name and extension of the path's last component.
std::wstring FileNameOf(const std::wstring& path);

// Equality ignoring case, folded with the file-system upper-case table.
bool EqualNoCase(const std::wstring& a, const std::wstring& b);

// "\??\C:\x" becomes "C:\x"; anything else is returned unchanged.
std::wstring StripNtPrefix(const std::wstring& path);

// True when path begins with device (ignoring case) and the device name ends at a
// component boundary, so "\Device\HarddiskVolume1" does not claim "...Volume10\x".
bool StartsWithDevice(const std::wstring& path, const std::wstring& device);

// A drive letter and the device name it stands for.
using DriveDevice = std::pair<wchar_t, std::wstring>;

// Replaces the first listed device that starts the path by its "X:" form. Returns
// false and leaves path unchanged when none does.
bool ReplaceDrivePrefix(std::wstring& path, const std::vector<DriveDevice>& drives);

// Replaces the first non-empty target that starts the path by a single "\" (a
// redirector target gives a "\\server\share" path). False when none does.
bool ReplaceDeviceTarget(std::wstring& path, const std::vector<std::wstring>& targets);

// The strings of a zero-separated list ended by an empty string, within length units.
std::vector<std::wstring> SplitMultiString(const wchar_t* buffer, size_t length);

// True when the extension of the path's last component is ".exe", ignoring case.
bool HasExeExtension(const std::wstring& path);

}  // namespace UProcessPath
