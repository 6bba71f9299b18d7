#pragma once
// Chrome's cache on the RAM disk: the default profile's cache folder becomes a junction to the
// RAM disk, the real folder kept under a backup name beside it until the junction goes.
#include <string>
#include <vector>

namespace UBrowserChrome {

// The local application-data folder followed by "Google\Chrome\User Data\Default\Cache"; empty
// when the shell cannot name the local folder.
std::wstring CacheFolder();

// "<cache>_Backup", or "<cache>_Backup<n>" with the first n from 1 whose name is free.
std::wstring BackupName(const std::wstring& cache);

// Every folder beside `cache` whose name is its own followed by "_Backup" and anything else.
std::vector<std::wstring> BackupFolders(const std::wstring& cache);

// Points `cache` at `ramFolder` (the caller has created it): a junction there already is
// re-pointed; otherwise the folder is renamed to `backup`, the junction created and the backup's
// content copied onto the RAM disk. A junction that cannot be made renames the backup back.
bool Apply(const std::wstring& cache, const std::wstring& ramFolder, const std::wstring& backup, bool& changed);

// Puts a real cache folder back with the content of the RAM-disk folder (or, when that is gone,
// of the first backup) and deletes the backups. A copy that fails keeps its source.
bool Undo(const std::wstring& cache, bool& changed);

// A process named "Chrome.exe" runs.
bool IsRunning();

}  // namespace UBrowserChrome
