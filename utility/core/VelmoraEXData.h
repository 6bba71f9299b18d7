#pragma once
// One RAM disk as the manager lists it: status, settings, virtual links and pending links.
#include <string>
#include <vector>

#include "utility/core/VelmoraEXSettingData.h"
#include "utility/core/VelmoraEXStatus.h"
#include "common/VelmoraEXVlinkData.h"

class CVelmoraEXData {
public:
    CVelmoraEXData() = default;
    CVelmoraEXData(const CVelmoraEXData&) = default;
    CVelmoraEXData& operator=(const CVelmoraEXData&) = default;
    virtual ~CVelmoraEXData() = default;

    CVelmoraEXStatus Status;
    CVelmoraEXSettingData Setting;
    std::vector<CVelmoraEXVlinkData> Vlinks;
    // Source folders whose link is to be retried at the next enable.
    std::vector<std::wstring> PendingVlinks;
};
