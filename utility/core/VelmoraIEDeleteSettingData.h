#pragma once
// What the Internet Explorer browsing-data deletion deletes (IEDelete.ini), each 0 or 1.
#include <cstdint>

class CVelmoraIEDeleteSettingData {
public:
    CVelmoraIEDeleteSettingData() = default;
    CVelmoraIEDeleteSettingData(const CVelmoraIEDeleteSettingData&) = default;
    CVelmoraIEDeleteSettingData& operator=(const CVelmoraIEDeleteSettingData&) = default;
    virtual ~CVelmoraIEDeleteSettingData() = default;

    int32_t Cache = 0;
    int32_t Cookie = 0;
    int32_t History = 0;
    int32_t TypedUrls = 0;
};
