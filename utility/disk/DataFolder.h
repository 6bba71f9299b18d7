#pragma once
// The shared data folder: common application data, then "Norvane", then "VelmoraEX".
#include <string>

// "folder\name", with one backslash between them unless the folder already ends in one.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// Full path of the data folder, without a trailing backslash; empty when the special folder is unknown.
std::wstring GetDataFolder();

// True when path is longer than "<data folder>\" and begins with it (case-insensitive).
bool IsInDataFolder(const std::wstring& path);

// Creates every missing level of the data folder; the last level gets the interactive-users DACL.
bool EnsureDataFolder();
