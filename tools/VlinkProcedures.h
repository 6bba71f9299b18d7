#pragma once
// The three virtual-link procedures: create (move a folder onto the RAM disk behind a junction),
// remove (bring it back) and re-link (put the junction back after the RAM disk was enabled).
// Each starts from an all-zero record and fills it; none asks the user anything.
#include <string>

#include "common/ToolResultRecords.h"
#include "common/VelmoraEXVlinkData.h"
#include "tools/ShellFileOperations.h"

namespace UVelmoraVlink {

// `link` holds full paths: source O, RAM-disk folder R (with its drive letter), backup B.
CCreateLinkRecord CreateLink(IShellFileOperations& operations, const CVelmoraEXVlinkData& link);
CRemoveLinkRecord RemoveLink(IShellFileOperations& operations, const CVelmoraEXVlinkData& link);
CRelinkRecord Relink(IShellFileOperations& operations, const CVelmoraEXVlinkData& link);

}  // namespace UVelmoraVlink
