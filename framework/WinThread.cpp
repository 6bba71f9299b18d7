#include "framework/WinThread.h"

CWinThread::CWinThread() = default;

CWinThread::~CWinThread() {
    if (m_hThread && !m_started) {
        // Never resumed: let it start and leave without touching the object.
        m_abandon = true;
        ::ResumeThread(m_hThread.Get());
        WaitForSingleObject(m_hThread.Get(), INFINITE);
    } else if (IsRunning()) {
        Stop();
    }
    CloseHandles();
}

void CWinThread::CloseHandles() {
    m_hThread.Reset();
    m_ready.Reset();
}

bool CWinThread::CreateThread(DWORD createFlags, int priority) {
    if (m_hThread) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    m_ready.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_ready) return false;
    m_hThread.Reset(::CreateThread(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &m_nThreadID));
    if (!m_hThread) {
        DWORD error = GetLastError();
        CloseHandles();
        m_nThreadID = 0;
        SetLastError(error);
        return false;
    }
    SetThreadPriority(m_hThread.Get(), priority);
    if (!(createFlags & CREATE_SUSPENDED)) ResumeThread();
    return true;
}

DWORD CWinThread::ResumeThread() {
    if (!m_hThread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    DWORD previous = ::ResumeThread(m_hThread.Get());
    if (previous == 1 && !m_started) {
        m_started = true;
        HANDLE waits[2] = {m_ready.Get(), m_hThread.Get()};  // the thread may also end before it is ready
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    }
    return previous;
}

BOOL CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!m_nThreadID) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return ::PostThreadMessageW(m_nThreadID, message, wParam, lParam);
}

void CWinThread::Stop() {
    if (!IsRunning()) return;
    // The post fails only when the queue is full; keep trying, the loop drains it.
    while (!::PostThreadMessageW(m_nThreadID, WM_QUIT, 0, 0) && IsRunning()) Sleep(10);
    WaitForEnd(INFINITE);
}

DWORD CWinThread::WaitForEnd(DWORD timeoutMs) const {
    if (!m_hThread) return WAIT_OBJECT_0;
    return WaitForSingleObject(m_hThread.Get(), timeoutMs);
}

bool CWinThread::IsRunning() const {
    return m_hThread.Get() && m_started && WaitForSingleObject(m_hThread.Get(), 0) == WAIT_TIMEOUT;
}

DWORD CWinThread::GetExitCode() const {
    DWORD code = 0;
    if (!m_hThread.Get() || !GetExitCodeThread(m_hThread.Get(), &code)) return 0;
    return code;
}

DWORD WINAPI CWinThread::ThreadProc(LPVOID self) {
    auto* thread = static_cast<CWinThread*>(self);
    if (thread->m_abandon) return 0;
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
    SetEvent(thread->m_ready.Get());
    if (!thread->InitInstance()) return static_cast<DWORD>(thread->ExitInstance());
    return static_cast<DWORD>(thread->Run());
}

int CWinThread::Run() {
    MSG message;
    for (;;) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            m_exitCode = static_cast<int>(message.wParam);
            break;
        }
        if (got == -1) {
            m_exitCode = -1;
            break;
        }
        if (message.hwnd == nullptr && OnThreadMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return ExitInstance();
}
