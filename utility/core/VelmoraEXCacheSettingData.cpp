#include "utility/core/VelmoraEXCacheSettingData.h"

const wchar_t kIECacheFolder[] = L"Temporary Internet Files";
const wchar_t kIEHistoryFolder[] = L"History";
const wchar_t kFirefoxCacheFolder[] = L"Cache";
const wchar_t kChromeCacheFolder[] = L"Chrome Cache";

void CVelmoraEXCacheSettingData::GetFolderNames(std::vector<std::wstring>& names) const {
    if (IECache == 1) names.emplace_back(kIECacheFolder);
    if (IEHistory == 1) names.emplace_back(kIEHistoryFolder);
    if (FirefoxCache == 1) names.emplace_back(kFirefoxCacheFolder);
    if (ChromeCache == 1) names.emplace_back(kChromeCacheFolder);
}
