#include "utility/core/VMUThread.h"

#include <objbase.h>

CVMUThread::~CVMUThread() {
    // The loop calls this object's hooks, so it must end before they go.
    Stop();
}

std::unique_ptr<CVMUThread> CVMUThread::Start(HWND receiver) {
    std::unique_ptr<CVMUThread> thread(new CVMUThread());
    if (!thread->CreateThread(CREATE_SUSPENDED, THREAD_PRIORITY_NORMAL)) return nullptr;
    thread->m_hReceiver = receiver;
    thread->m_nDoneMessage = WM_VMU_TASK_DONE;
    thread->ResumeThread();
    return thread;
}

bool CVMUThread::PostTask(CVMUThreadTaskHeader* task) const {
    return PostThreadMessage(WM_VMU_TASK, reinterpret_cast<WPARAM>(task), 0) != FALSE;
}

BOOL CVMUThread::InitInstance() {
    m_comInitialized = SUCCEEDED(CoInitialize(nullptr));
    return TRUE;
}

int CVMUThread::ExitInstance() {
    if (m_comInitialized) CoUninitialize();
    m_comInitialized = false;
    return CWinThread::ExitInstance();
}

bool CVMUThread::OnThreadMessage(const MSG& message) {
    if (message.message != WM_VMU_TASK) return false;
    auto* task = reinterpret_cast<CVMUThreadTaskHeader*>(message.wParam);
    if (!task) return true;
    task->Execute();
    // Without a window to take it back nobody would own the task any more.
    if (!PostMessageW(m_hReceiver, m_nDoneMessage, reinterpret_cast<WPARAM>(task), 0)) delete task;
    return true;
}
