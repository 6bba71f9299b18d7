#include "utility/core/TaskSubmission.h"

#include "utility/core/VMUThread.h"
#include "utility/core/VelmoraEXManager.h"

namespace UTaskSubmission {

int PostTask(CVelmoraEXManager& manager, const CVMUThread& worker, CVMUThreadTaskHeader* task,
             const std::wstring& settingsPath, int32_t state) {
    task->Message.clear();
    task->Result = 0;
    if (!manager.IsIdle()) return SUBMIT_BUSY;
    if (!worker.PostTask(task)) return SUBMIT_POST_FAILED;
    if (!settingsPath.empty()) manager.SetDiskOperation(settingsPath, state);
    return SUBMIT_POSTED;
}

}  // namespace UTaskSubmission
