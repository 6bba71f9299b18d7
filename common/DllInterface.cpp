#include "common/DllInterface.h"

CDllInterface::CDllInterface(const wchar_t* name) : m_name(name) {}

CDllInterface::~CDllInterface() {
    // Derived parts are gone by now: only the library is left to free.
    if (m_module) FreeLibrary(m_module);
}

bool CDllInterface::Load() {
    if (m_module) return true;
    m_module = LoadLibraryW(m_name.c_str());
    if (!m_module) return false;
    if (Resolve()) return true;
    Unload();
    return false;
}

void CDllInterface::Unload() {
    Forget();
    if (m_module) {
        FreeLibrary(m_module);
        m_module = nullptr;
    }
}
