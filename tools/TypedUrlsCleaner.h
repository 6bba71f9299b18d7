#pragma once
// Browsing-data job 4: deletes every value of the user's TypedURLs key. The names are
// collected first, so that deleting does not disturb the enumeration.
namespace UTypedUrlsCleaner {

extern const wchar_t kKeyPath[];  // under HKEY_CURRENT_USER

// 1, or 0 when the key cannot be opened.
int Run();

}  // namespace UTypedUrlsCleaner
