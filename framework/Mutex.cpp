#include "framework/Mutex.h"

CMutex::CMutex(BOOL initiallyOwn, LPCWSTR name, LPSECURITY_ATTRIBUTES attributes)
    : m_hObject(CreateMutexW(attributes, initiallyOwn, name)), m_createError(GetLastError()) {
    if (m_hObject && m_createError != ERROR_ALREADY_EXISTS) m_createError = ERROR_SUCCESS;
}

CMutex::~CMutex() = default;

BOOL CMutex::Lock(DWORD timeoutMs) {
    if (!m_hObject) return FALSE;
    const DWORD wait = WaitForSingleObject(m_hObject.Get(), timeoutMs);
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

BOOL CMutex::Unlock() { return m_hObject ? ReleaseMutex(m_hObject.Get()) : FALSE; }
