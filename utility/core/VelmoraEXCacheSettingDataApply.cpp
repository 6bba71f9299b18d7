// The browser-cache setting applied to a RAM disk and undone (Windows only; built with the
// browser-cache code).
#include <windows.h>

#include "utility/core/VelmoraEXCacheSettingData.h"
#include "utility/links/BrowserChrome.h"
#include "utility/links/BrowserFirefox.h"
#include "utility/links/BrowserIE.h"

namespace {

std::wstring DriveRoot(wchar_t drive) { return std::wstring(1, drive) + L":\\"; }

int32_t Flag(bool changed) { return changed ? 1 : 0; }

}  // namespace

void CVelmoraEXCacheSettingData::ApplyToDrive(wchar_t drive, CVelmoraEXCacheSettingData& result,
                                              int32_t noBackup) const {
    bool changed = false;
    if (IECache == 1) {
        UBrowserIE::ApplyCache(DriveRoot(drive), changed);
        result.IECache = Flag(changed);
    }
    if (IEHistory == 1) {
        UBrowserIE::ApplyHistory(DriveRoot(drive), noBackup == 1, changed);
        result.IEHistory = Flag(changed);
    }
    if (FirefoxCache == 1) {
        const std::wstring target = DriveRoot(drive) + kFirefoxCacheFolder;
        CreateDirectoryW(target.c_str(), nullptr);
        UBrowserFirefox::Apply(UBrowserFirefox::RoamingRoot(), target, changed);
        result.FirefoxCache = Flag(changed);
    }
    if (ChromeCache == 1) {
        const std::wstring target = DriveRoot(drive) + kChromeCacheFolder;
        CreateDirectoryW(target.c_str(), nullptr);
        const std::wstring cache = UBrowserChrome::CacheFolder();
        UBrowserChrome::Apply(cache, target, UBrowserChrome::BackupName(cache), changed);
        result.ChromeCache = Flag(changed);
    }
}

void CVelmoraEXCacheSettingData::RevertToDefault(CVelmoraEXCacheSettingData& result) const {
    bool changed = false;
    if (IECache == 1) {
        UBrowserIE::UndoCache(changed);
        result.IECache = Flag(changed);
    }
    if (IEHistory == 1) {
        UBrowserIE::UndoHistory(changed);
        result.IEHistory = Flag(changed);
    }
    if (FirefoxCache == 1) {
        UBrowserFirefox::Undo(UBrowserFirefox::RoamingRoot(), changed);
        result.FirefoxCache = Flag(changed);
    }
    if (ChromeCache == 1) {
        UBrowserChrome::Undo(UBrowserChrome::CacheFolder(), changed);
        result.ChromeCache = Flag(changed);
    }
}
