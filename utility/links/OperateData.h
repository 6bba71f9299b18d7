#pragma once
// One file or folder that the disk-settings clean-up deletes.
#include <cstdint>
#include <string>
#include <utility>

class COperateData {
public:
    COperateData() = default;
    COperateData(std::wstring path, int32_t delayAllowed) : Path(std::move(path)), DelayAllowed(delayAllowed) {}
    virtual ~COperateData() = default;

    // Deletes the path: RemoveDirectoryW for a folder, DeleteFileW otherwise; nothing there
    // counts as done. A failed delete keeps its error in LastError and, when DelayAllowed,
    // is scheduled for the next restart instead (Scheduled 1, LastError 0, restartNeeded set
    // to 1). True when the delete or the scheduling succeeded.
    bool Run(int32_t& restartNeeded);

    std::wstring Path;
    uint32_t LastError = 0;
    int32_t DelayAllowed = 0;
    int32_t Scheduled = 0;
};
