#pragma once
// Handing a task to the worker from the window thread, guarded by the manager's idle state.
#include <cstdint>
#include <string>

class CVelmoraEXManager;
class CVMUThread;
class CVMUThreadTaskHeader;

namespace UTaskSubmission {

enum : int {
    SUBMIT_POSTED = 0,
    SUBMIT_BUSY = 1,           // some disk is not idle: nothing posted (message 6000)
    SUBMIT_POST_FAILED = -1,   // the worker did not take the task
};

// Clears the task's Message and Result, refuses it while the manager is not idle, posts it,
// and marks the disk of settingsPath (when not empty) with the operation code state. On any
// result but SUBMIT_POSTED the caller still owns (and destroys) the task; on SUBMIT_POSTED it
// refreshes the disk's row in the status sheet when that is open.
int PostTask(CVelmoraEXManager& manager, const CVMUThread& worker, CVMUThreadTaskHeader* task,
             const std::wstring& settingsPath, int32_t state);

}  // namespace UTaskSubmission
