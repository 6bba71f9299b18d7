#include "utility/disk/IEVersion.h"

#include <windows.h>

#include <vector>

void CIEVersion::Read() {
    m_valid = false;
    m_version.clear();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, "Version", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        std::vector<char> text(size + 1, 0);
        if (RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) ==
            ERROR_SUCCESS)
            m_version.assign(text.data());  // stops at the first zero, terminated or not
    }
    RegCloseKey(key);
    m_valid = !m_version.empty();
}
