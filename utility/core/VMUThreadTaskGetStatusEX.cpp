#include "utility/core/VMUThreadTaskGetStatusEX.h"

#include "utility/disk/VelmoraAPI.h"

void CVMUThreadTaskGetStatusEX::Execute() {
    CVelmoraAPI api;
    if (!api.OpenDevice(0)) {
        Result = kTaskResultNotSent;
        return;
    }
    for (auto& entry : Replies) {
        entry.second = RamDiskStatus{};
        api.Query(entry.first, 0, entry.second);
    }
    api.Close();
    Result = 0;
}
