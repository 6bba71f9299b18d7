#pragma once
// The utility's own options (Option.ini).
#include <cstdint>

class CVelmoraEXOptionData {
public:
    CVelmoraEXOptionData() = default;
    CVelmoraEXOptionData(const CVelmoraEXOptionData&) = default;
    CVelmoraEXOptionData& operator=(const CVelmoraEXOptionData&) = default;
    virtual ~CVelmoraEXOptionData() = default;

    int32_t TaskTray = 0;   // 1: icon in the task tray
    int32_t Indicator = 0;  // 1: pop-up windows on the task bar
};
