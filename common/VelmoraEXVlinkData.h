#pragma once
// One virtual link: the source folder that becomes a junction, its target on the RAM disk, and
// the folder that keeps the source contents while the link exists.
#include <string>
#include <utility>

class CVelmoraEXVlinkData {
public:
    CVelmoraEXVlinkData() = default;
    CVelmoraEXVlinkData(std::wstring source, std::wstring target, std::wstring backupFolder)
        : src(std::move(source)), dst(std::move(target)), backup(std::move(backupFolder)) {}
    CVelmoraEXVlinkData(const CVelmoraEXVlinkData&) = default;
    CVelmoraEXVlinkData& operator=(const CVelmoraEXVlinkData&) = default;
    virtual ~CVelmoraEXVlinkData() = default;

    bool operator==(const CVelmoraEXVlinkData& other) const {
        return src == other.src && dst == other.dst && backup == other.backup;
    }
    bool operator!=(const CVelmoraEXVlinkData& other) const { return !(*this == other); }

    std::wstring src;
    std::wstring dst;
    std::wstring backup;
};
