#include "common/DllInterface.h"

CDllInterface::CDllInterface(const wchar_t* name) : m_name(name) {}

// Derived parts are gone by now: only the library is left to free, which m_module does.
CDllInterface::~CDllInterface() = default;

bool CDllInterface::Load() {
    if (m_module) return true;
    m_module.Reset(LoadLibraryW(m_name.c_str()));
    if (!m_module) return false;
    if (Resolve()) return true;
    Unload();
    return false;
}

void CDllInterface::Unload() {
    Forget();
    m_module.Reset();
}
