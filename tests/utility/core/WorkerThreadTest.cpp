// The thread framework and the worker's hand-off, with real thread and window messages.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "TaskTestSupport.h"
#include "framework/WinThread.h"
#include "utility/core/VMUThread.h"

namespace {

using tasktest::PumpUntil;

// A message-only window that keeps every finished task it is handed.
class ReceiverWindow {
public:
    ReceiverWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmoraEXWorkerTestReceiver";
        RegisterClassW(&wc);
        m_hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ReceiverWindow() {
        DestroyWindow(m_hwnd);
        for (CVMUThreadTaskHeader* task : received) delete task;
    }
    HWND Handle() const { return m_hwnd; }
    std::vector<CVMUThreadTaskHeader*> received;
    std::vector<UINT> messages;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ReceiverWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && message >= WM_USER) {
            self->messages.push_back(message);
            if (message == WM_VMU_TASK_DONE) self->received.push_back(reinterpret_cast<CVMUThreadTaskHeader*>(wParam));
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND m_hwnd;
};

// Records where and in which order it ran, and whether COM was ready there.
class ProbeTask : public CVMUThreadTaskHeader {
public:
    explicit ProbeTask(int id, DWORD sleepMs = 0) : CVMUThreadTaskHeader(TASK_GET_STATUS), id(id), sleepMs(sleepMs) {}
    void Execute() override {
        Sleep(sleepMs);
        threadId = GetCurrentThreadId();
        HRESULT hr = CoInitialize(nullptr);
        comReady = hr == S_FALSE;  // already initialised on this thread
        if (SUCCEEDED(hr)) CoUninitialize();
        order = ++s_counter;
        Result = 40 + id;
    }
    int id;
    DWORD sleepMs;
    DWORD threadId = 0;
    bool comReady = false;
    int order = 0;
    static inline std::atomic<int> s_counter{0};
};

class CountingThread : public CWinThread {
public:
    ~CountingThread() override { Stop(); }
    std::atomic<int> inits{0}, exits{0};
    std::vector<UINT> seen;  // thread messages, on the thread

protected:
    BOOL InitInstance() override {
        ++inits;
        return TRUE;
    }
    int ExitInstance() override {
        ++exits;
        return m_exitCode + 100;
    }
    bool OnThreadMessage(const MSG& message) override {
        seen.push_back(message.message);
        return true;
    }
};

}  // namespace

TEST(WinThread, SuspendedThreadStartsOnResumeAndTakesMessagesPostedRightAway) {
    CountingThread thread;
    ASSERT_TRUE(thread.CreateThread(CREATE_SUSPENDED));
    Sleep(50);
    EXPECT_EQ(thread.inits.load(), 0) << "nothing runs before the resume";
    EXPECT_NE(thread.GetThreadId(), 0u);
    EXPECT_EQ(thread.ResumeThread(), 1u);
    // Posted at once after the resume: the queue must exist by now.
    ASSERT_TRUE(thread.PostThreadMessage(WM_APP + 1, 0, 0));
    ASSERT_TRUE(thread.PostThreadMessage(WM_APP + 2, 0, 0));
    ASSERT_TRUE(thread.PostThreadMessage(WM_QUIT, 7, 0));
    ASSERT_EQ(thread.WaitForEnd(5000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(thread.inits.load(), 1);
    EXPECT_EQ(thread.exits.load(), 1);
    EXPECT_EQ(thread.GetExitCode(), 107u) << "ExitInstance sees WM_QUIT's code and returns the thread's";
    EXPECT_EQ(thread.seen, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));
    EXPECT_FALSE(thread.IsRunning());
}

TEST(WinThread, ANeverResumedThreadEndsWithItsObject) {
    DWORD start = GetTickCount();
    {
        auto* thread = new CountingThread();
        ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
        delete thread;
    }
    EXPECT_LT(GetTickCount() - start, 2000u);
    CountingThread second;
    ASSERT_TRUE(second.CreateThread(0));
    EXPECT_FALSE(second.CreateThread(0)) << "one thread per object";
    second.Stop();
    EXPECT_EQ(second.inits.load(), 1);
    EXPECT_EQ(second.exits.load(), 1);
}

TEST(WorkerThread, RunsTasksOnItsOwnThreadInOrderAndHandsEachBack) {
    ReceiverWindow window;
    std::unique_ptr<CVMUThread> worker = CVMUThread::Start(window.Handle());
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(worker->m_hReceiver, window.Handle());
    EXPECT_EQ(worker->m_nDoneMessage, 0x8002u);

    auto* first = new ProbeTask(1, 100);  // slow, so that the others queue up behind it
    auto* second = new ProbeTask(2);
    auto* third = new ProbeTask(3);
    ASSERT_TRUE(worker->PostTask(first));
    ASSERT_TRUE(worker->PostTask(second));
    ASSERT_TRUE(worker->PostTask(third));
    ASSERT_TRUE(PumpUntil([&] { return window.received.size() == 3; }, 5000));
    EXPECT_EQ(window.received, (std::vector<CVMUThreadTaskHeader*>{first, second, third}))
        << "the same objects come back, in arrival order";
    for (ProbeTask* task : {first, second, third}) {
        EXPECT_EQ(task->threadId, worker->GetThreadId());
        EXPECT_TRUE(task->comReady) << "COM is initialised on the worker";
        EXPECT_EQ(task->Result, 40 + task->id);
        EXPECT_EQ(task->order - first->order, task->id - 1);
    }
    EXPECT_NE(worker->GetThreadId(), GetCurrentThreadId());
}

TEST(WorkerThread, IgnoresANullTaskAndStopsAfterTheRunningTask) {
    ReceiverWindow window;
    std::unique_ptr<CVMUThread> worker = CVMUThread::Start(window.Handle());
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(worker->PostThreadMessage(WM_VMU_TASK, 0, 0));
    auto* slow = new ProbeTask(5, 300);
    ASSERT_TRUE(worker->PostTask(slow));
    Sleep(50);
    worker->Stop();  // WM_QUIT queued behind the running task
    EXPECT_FALSE(worker->IsRunning());
    EXPECT_EQ(slow->Result, 45) << "the task in progress ran to its end";
    ASSERT_TRUE(PumpUntil([&] { return !window.received.empty(); }, 2000));
    EXPECT_EQ(window.received, std::vector<CVMUThreadTaskHeader*>{slow}) << "nothing came back for the null task";
}

TEST(WorkerThread, AnEndedWorkerTakesNoTask) {
    ReceiverWindow window;
    std::unique_ptr<CVMUThread> worker = CVMUThread::Start(window.Handle());
    ASSERT_NE(worker, nullptr);
    worker->Stop();
    ProbeTask orphan(3);
    EXPECT_FALSE(worker->PostTask(&orphan)) << "the caller keeps the task";
    EXPECT_FALSE(PumpUntil([&] { return !window.received.empty(); }, 300)) << "nothing came back";
}
