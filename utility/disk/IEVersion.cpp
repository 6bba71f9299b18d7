#include "utility/disk/IEVersion.h"

#include <windows.h>

#include <vector>

#include "framework/RegKey.h"

void CIEVersion::Read() {
    m_valid = false;
    m_version.clear();
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", KEY_READ) != ERROR_SUCCESS) return;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.Get(), "Version", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        std::vector<char> text(size + 1, 0);
        if (RegQueryValueExA(key.Get(), "Version", nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) ==
            ERROR_SUCCESS)
            m_version.assign(text.data());  // stops at the first zero, terminated or not
    }
    m_valid = !m_version.empty();
}
