#pragma once
// Which browser folders live on a RAM disk: a request (which caches to act on) or a result
// (which caches the action reached).
#include <cstdint>
#include <string>
#include <vector>

class CVelmoraEXCacheSettingData {
public:
    CVelmoraEXCacheSettingData() = default;
    CVelmoraEXCacheSettingData(const CVelmoraEXCacheSettingData&) = default;
    CVelmoraEXCacheSettingData& operator=(const CVelmoraEXCacheSettingData&) = default;
    virtual ~CVelmoraEXCacheSettingData() = default;

    // For each field that is 1: creates the field's folder on the RAM disk at `drive` and moves
    // the browser's folder there; `result` gets 1 for each browser whose place changed. `noBackup`
    // is 1 when the disk keeps no backup (the history folder then gets the default "desktop.ini").
    void ApplyToDrive(wchar_t drive, CVelmoraEXCacheSettingData& result, int32_t noBackup) const;

    // For each field that is 1: gives the browser its default place back; `result` as above.
    void RevertToDefault(CVelmoraEXCacheSettingData& result) const;

    // Appends the RAM-disk folder names of the fields that are 1, in field order.
    void GetFolderNames(std::vector<std::wstring>& names) const;

    // Each 0 (off) or 1 (on).
    int32_t IECache = 0;
    int32_t IEHistory = 0;
    int32_t FirefoxCache = 0;
    int32_t ChromeCache = 0;
};

// Folder names on the RAM disk, relative to its root.
extern const wchar_t kIECacheFolder[];       // "Temporary Internet Files"
extern const wchar_t kIEHistoryFolder[];     // "History"
extern const wchar_t kFirefoxCacheFolder[];  // "Cache"
extern const wchar_t kChromeCacheFolder[];   // "Chrome Cache"
