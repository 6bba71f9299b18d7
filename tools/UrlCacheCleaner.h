#pragma once
// Browsing-data jobs 1 and 2: a walk over every entry of the user's URL cache that deletes
// the normal entries that are neither cookies nor history (job 1) or the cookies (job 2) and
// keeps everything else.
#include <cstdint>

#include "tools/ToolSwitches.h"

namespace UUrlCacheCleaner {

// Whether the job deletes an entry of this cache-entry type.
bool Deletes(EToolJob job, uint32_t entryType);
// The walk; always 1 (entries that cannot be deleted are skipped).
int Run(EToolJob job);

}  // namespace UUrlCacheCleaner
