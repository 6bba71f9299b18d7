#pragma once
// Holds a CMutex for as long as the lock object says so: Lock/Unlock, released at the latest
// when the lock object goes. Not shared between threads.
#include "framework/Mutex.h"

class CSingleLock {
public:
    // initialLock TRUE waits for the mutex without a time limit right away.
    explicit CSingleLock(CMutex* mutex, BOOL initialLock = FALSE);
    ~CSingleLock();
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    // TRUE when the mutex is held afterwards; a lock already held is not taken twice.
    BOOL Lock(DWORD timeoutMs = INFINITE);
    // Releases a held mutex; FALSE when it was not held.
    BOOL Unlock();
    BOOL IsLocked() const { return m_locked; }

private:
    CMutex* m_mutex;
    BOOL m_locked = FALSE;
};
