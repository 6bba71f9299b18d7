#include "framework/SingleLock.h"

CSingleLock::CSingleLock(CMutex* mutex, BOOL initialLock) : m_mutex(mutex) {
    if (initialLock) Lock();
}

CSingleLock::~CSingleLock() { Unlock(); }

BOOL CSingleLock::Lock(DWORD timeoutMs) {
    if (m_locked) return TRUE;
    if (!m_mutex) return FALSE;
    m_locked = m_mutex->Lock(timeoutMs);
    return m_locked;
}

BOOL CSingleLock::Unlock() {
    if (!m_locked) return FALSE;
    m_locked = FALSE;
    return m_mutex->Unlock();
}
