#include "utility/core/VMUThreadTaskMountEX.h"

#include <windows.h>

#include <cstring>

#include "framework/Clock.h"
#include "utility/disk/VelmoraAPI.h"

void CVMUThreadTaskMountEX::Execute() {
    if (MountKind == MOUNT_IMAGE_MODE_RETRY) UClock::Sleep(kRetryDelayMs);
    Result = kTaskResultNotSent;
    CVelmoraAPI api;
    if (!api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs)) return;
    std::memset(&Reply, 0, sizeof(Reply));
    if (api.Create(SettingsPath, MountKind == MOUNT_IMAGE_MODE_RETRY, Reply))
        Result = static_cast<int32_t>(Reply.error);
    else if (Reply.error != 0)
        Result = static_cast<int32_t>(Reply.error);
    api.Close();
}
