// CMutex and CSingleLock across threads: exclusion with a time-out, release by the lock
// object, named mutexes shared between objects, and an owner that ended without releasing.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "framework/Mutex.h"
#include "framework/SingleLock.h"

namespace {

// Runs body on another thread and waits for it.
template <typename F>
void OnOtherThread(F body) {
    std::thread thread(body);
    thread.join();
}

TEST(Mutex, LockExcludesOtherThreadsUntilReleased) {
    CMutex mutex;
    ASSERT_NE(mutex.m_hObject.Get(), nullptr);
    CSingleLock lock(&mutex);
    EXPECT_FALSE(lock.IsLocked());
    ASSERT_TRUE(lock.Lock(10));
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_TRUE(lock.Lock(10));  // held already: not taken twice

    BOOL otherGot = TRUE;
    OnOtherThread([&] {
        CSingleLock other(&mutex);
        otherGot = other.Lock(10);
    });
    EXPECT_FALSE(otherGot);

    // One unlock releases it (the second Lock did not add to the count).
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_FALSE(lock.Unlock());
    OnOtherThread([&] {
        CSingleLock other(&mutex);
        otherGot = other.Lock(10);
    });
    EXPECT_TRUE(otherGot);
}

TEST(Mutex, LockObjectReleasesWhenItGoes) {
    CMutex mutex;
    std::atomic<int> stage{0};
    std::thread holder([&] {
        CSingleLock lock(&mutex, TRUE);
        stage = 1;
        while (stage != 2) Sleep(1);
    });  // the lock goes when the thread's scope ends
    while (stage != 1) Sleep(1);
    CSingleLock lock(&mutex);
    EXPECT_FALSE(lock.Lock(10));
    stage = 2;
    holder.join();
    EXPECT_TRUE(lock.Lock(1000));
}

TEST(Mutex, NamedMutexIsSharedAndReportsExisting) {
    const wchar_t name[] = L"VmxTestMutex-{5E2B7A1C}";
    CMutex first(FALSE, name);
    ASSERT_NE(first.m_hObject.Get(), nullptr);
    EXPECT_EQ(first.GetCreateError(), static_cast<DWORD>(ERROR_SUCCESS));
    CSingleLock firstLock(&first);
    ASSERT_TRUE(firstLock.Lock(10));

    BOOL secondGot = TRUE;
    DWORD secondError = 0;
    OnOtherThread([&] {
        CMutex second(FALSE, name);
        secondError = second.GetCreateError();
        CSingleLock lock(&second);
        secondGot = lock.Lock(10);
    });
    EXPECT_EQ(secondError, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(secondGot);
    firstLock.Unlock();
}

TEST(Mutex, AbandonedMutexCountsAsAcquired) {
    CMutex mutex;
    OnOtherThread([&] { ASSERT_TRUE(mutex.Lock(0)); });  // ends while owning it
    CSingleLock lock(&mutex);
    EXPECT_TRUE(lock.Lock(1000));
}

TEST(Mutex, LockWithoutMutexFails) {
    CSingleLock lock(nullptr);
    EXPECT_FALSE(lock.Lock(0));
    EXPECT_FALSE(lock.IsLocked());
}

}  // namespace
