#pragma once
// A thread with its own message queue. Created (optionally suspended), resumed, it runs
// InitInstance, then a message loop that hands thread messages to OnThreadMessage and
// dispatches window messages, and on WM_QUIT runs ExitInstance, whose value ends the thread.
#include <windows.h>

#include "framework/Handle.h"

class CWinThread {
public:
    CWinThread();
    // Stops a thread that still runs (WM_QUIT, then waits); a derived class whose hooks the
    // thread uses stops it in its own destructor.
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Creates the thread; flags 0 or CREATE_SUSPENDED. False when it exists already or
    // cannot be created (GetLastError).
    bool CreateThread(DWORD createFlags = 0, int priority = THREAD_PRIORITY_NORMAL);

    // Resumes a suspended thread; the first resume returns once the thread's queue exists,
    // so that thread messages posted afterwards arrive. The previous suspend count, or
    // (DWORD)-1 on failure.
    DWORD ResumeThread();

    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) const;

    // Posts WM_QUIT and waits for the end without a time limit.
    void Stop();

    // WaitForSingleObject on the thread handle; WAIT_OBJECT_0 also when there is no thread.
    DWORD WaitForEnd(DWORD timeoutMs = INFINITE) const;

    bool IsRunning() const;
    DWORD GetThreadId() const { return m_nThreadID; }
    HANDLE GetThreadHandle() const { return m_hThread.Get(); }
    // The thread's exit code (STILL_ACTIVE while it runs).
    DWORD GetExitCode() const;

protected:
    // On the thread before the loop; FALSE ends the thread at once with ExitInstance's value.
    virtual BOOL InitInstance() { return TRUE; }
    // On the thread after the loop; the thread's exit code.
    virtual int ExitInstance() { return m_exitCode; }
    // A message posted to the thread rather than to a window; true when handled.
    virtual bool OnThreadMessage(const MSG& message) {
        (void)message;
        return false;
    }
    // The message loop; returns at WM_QUIT with ExitInstance's value.
    virtual int Run();

    int m_exitCode = 0;  // WM_QUIT's wParam once the loop has ended

private:
    static DWORD WINAPI ThreadProc(LPVOID self);
    void CloseHandles();

    CHandle m_hThread;
    DWORD m_nThreadID = 0;
    CHandle m_ready;         // set by the thread once its queue exists
    bool m_started = false;  // resumed (or created running) at least once
    bool m_abandon = false;  // destroyed before it ever ran: the thread returns at once
};
