#pragma once
// Windows version facts, filled on demand.
#include <windows.h>

class COSVersion {
public:
    // Fills every field it can; fields whose source fails stay zero.
    void Read();

    OSVERSIONINFOEXW m_version{};
    DWORD m_wow64 = 0;        // 1 for a 32-bit process on 64-bit Windows
    DWORD m_productType = 0;  // from GetProductInfo
    SYSTEM_INFO m_nativeSystemInfo{};

    bool IsVistaOrLater() const { return m_version.dwMajorVersion >= 6; }
    bool IsWindows8OrLater() const {
        return m_version.dwMajorVersion > 6 || (m_version.dwMajorVersion == 6 && m_version.dwMinorVersion > 1);
    }
};
