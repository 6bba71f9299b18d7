#pragma once
// The launcher's command line: switches handed on to msiexec.exe, and the parameters it runs with.
#include <string>
#include <vector>

namespace USetupSwitches {

// Every argument that is "-" or "/" followed by exactly (case counts) a pass-through switch name,
// as written and each preceded by one space, in command-line order; all others are ignored.
std::wstring PassThrough(const std::vector<std::wstring>& arguments);

// msiexec.exe's parameters for reinstalling every feature from `package`.
std::wstring InstallerParameters(const std::wstring& package, const std::wstring& passThrough);

}  // namespace USetupSwitches
