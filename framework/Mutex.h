#pragma once
// A mutex object (optionally named, process-wide). Lock it through CSingleLock.
#include <windows.h>

#include "framework/Handle.h"

class CMutex {
public:
    // Creates or opens the mutex; GetCreateError tells whether a named one existed already
    // (ERROR_ALREADY_EXISTS) or could not be made (then the handle is null).
    explicit CMutex(BOOL initiallyOwn = FALSE, LPCWSTR name = nullptr, LPSECURITY_ATTRIBUTES attributes = nullptr);
    ~CMutex();
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    // Waits for ownership; TRUE when owned (also when the previous owner ended without
    // releasing it).
    BOOL Lock(DWORD timeoutMs = INFINITE);
    BOOL Unlock();

    CHandle m_hObject;
    DWORD GetCreateError() const { return m_createError; }

private:
    DWORD m_createError;
};
