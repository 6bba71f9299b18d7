#pragma once
// Internet Explorer's temporary Internet files and history on the RAM disk: moving the shell
// folders there and back, and the history containers registered under the cache settings.
#include <string>

namespace UBrowserIE {

// Moves shell folder `folder` to `target`. When it already points there, only prepares the
// target again (folder, "low" subfolder with full access for everyone, and with `seed` the
// default location's "desktop.ini"): success, no change. Otherwise copies the current tree into
// `target` (its result is not used) and sets the location; `changed` tells whether the set did.
bool MoveShellFolder(int folder, const std::wstring& target, bool seed, bool& changed);

// Gives shell folder `folder` its default location back; with `copy` the current tree is copied
// there first. The current tree is deleted afterwards. Success without change when the folder is
// already at its default.
bool RestoreShellFolder(int folder, bool copy, bool& changed);

// Rewrites the "CachePath" of the history containers ("MSHist..." under the cache settings'
// "Extensible Cache"; `low`: the LowCache ones) that lie in `oldPath` so that they lie in
// `newPath`, and deletes every container whose folder does not exist.
void FixHistoryContainers(bool low, const std::wstring& oldPath, const std::wstring& newPath);

// Both passes of FixHistoryContainers, low first.
void FixAllHistoryContainers(const std::wstring& oldPath, const std::wstring& newPath);

// "Temporary Internet Files" (hidden, system) and "History" in the RAM disk's `root` ("X:\")
// take the two folders.
bool ApplyCache(const std::wstring& root, bool& changed);
bool ApplyHistory(const std::wstring& root, bool seed, bool& changed);
bool UndoCache(bool& changed);
bool UndoHistory(bool& changed);

// Start-up check: with Internet Explorer 10 or later the history goes back to its default
// location (without copying); `restored` becomes 1 when that moved it. Always true.
bool CheckHistoryForIE10(int& restored);

}  // namespace UBrowserIE
