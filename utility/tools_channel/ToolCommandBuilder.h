#pragma once
// Command payloads for the tools program: the command number, the RAM disk's drive letter and
// the link's three paths (source, RAM-disk folder without drive, backup). Nothing follows the
// last path.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/ToolResultRecords.h"
#include "common/VelmoraEXVlinkData.h"

namespace UToolCommandBuilder {

std::vector<uint8_t> Build(EToolCommand command, wchar_t drive, const CVelmoraEXVlinkData& link,
                           unsigned lengthWidth = sizeof(size_t));
inline std::vector<uint8_t> CreateLink(wchar_t drive, const CVelmoraEXVlinkData& link) {
    return Build(TOOL_CREATE_LINK, drive, link);
}
inline std::vector<uint8_t> RemoveLink(wchar_t drive, const CVelmoraEXVlinkData& link) {
    return Build(TOOL_REMOVE_LINK, drive, link);
}
inline std::vector<uint8_t> Relink(wchar_t drive, const CVelmoraEXVlinkData& link) {
    return Build(TOOL_RELINK, drive, link);
}

}  // namespace UToolCommandBuilder
