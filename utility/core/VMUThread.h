#pragma once
// The worker thread: runs the tasks posted to it one at a time and posts each back to the
// receiving window when it has run.
#include <windows.h>

#include <memory>

#include "framework/WinThread.h"
#include "utility/core/VMUThreadTaskHeader.h"

// Thread message that hands a task to the worker (wParam: the task).
const UINT WM_VMU_TASK = 0x8001;
// Window message that hands a finished task back (wParam: the task).
const UINT WM_VMU_TASK_DONE = 0x8002;

class CVMUThread : public CWinThread {
public:
    CVMUThread() = default;
    ~CVMUThread() override;

    // Creates the thread suspended with normal priority, sets the receiver and the message
    // 0x8002, and resumes it. Null when the thread cannot be created.
    static std::unique_ptr<CVMUThread> Start(HWND receiver);

    // Hands a task to the worker; ownership passes with the message. False when the post
    // failed (the caller keeps the task).
    bool PostTask(CVMUThreadTaskHeader* task) const;

    HWND m_hReceiver = nullptr;  // window that receives finished tasks
    UINT m_nDoneMessage = WM_VMU_TASK_DONE;

protected:
    BOOL InitInstance() override;  // COM for the tasks
    int ExitInstance() override;
    bool OnThreadMessage(const MSG& message) override;

private:
    bool m_comInitialized = false;
};
