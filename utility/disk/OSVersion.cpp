#include "utility/disk/OSVersion.h"

#include "framework/Library.h"

namespace {
const DWORD kPlainInfoSize = 276;     // OSVERSIONINFOW
const DWORD kExtendedInfoSize = 284;  // OSVERSIONINFOEXW

using GetVersionExFn = BOOL(WINAPI*)(OSVERSIONINFOW*);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
using GetNativeSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);
}  // namespace

void COSVersion::Read() {
    m_version = OSVERSIONINFOEXW{};
    m_wow64 = 0;
    m_productType = 0;
    m_nativeSystemInfo = SYSTEM_INFO{};

    const CLibrary kernel(L"Kernel32.dll");
    // Looked up at run time: the declaration is deprecated in newer SDKs.
    auto getVersionEx = kernel.Proc<GetVersionExFn>("GetVersionExW");
    if (getVersionEx) {
        auto* info = reinterpret_cast<OSVERSIONINFOW*>(&m_version);
        m_version.dwOSVersionInfoSize = kPlainInfoSize;
        if (getVersionEx(info)) {
            m_version.dwOSVersionInfoSize = kExtendedInfoSize;
            if (!getVersionEx(info)) m_version.dwOSVersionInfoSize = kPlainInfoSize;
        } else {
            m_version = OSVERSIONINFOEXW{};
        }
    }
    if (!kernel) return;

    if (auto isWow64 = kernel.Proc<IsWow64ProcessFn>("IsWow64Process")) {
        BOOL wow64 = FALSE;
        if (isWow64(GetCurrentProcess(), &wow64)) m_wow64 = wow64 ? 1 : 0;
    }
    if (auto productInfo = kernel.Proc<GetProductInfoFn>("GetProductInfo")) {
        DWORD type = 0;
        if (productInfo(m_version.dwMajorVersion, m_version.dwMinorVersion, m_version.wServicePackMajor,
                        m_version.wServicePackMinor, &type))
            m_productType = type;
    }
    if (auto nativeInfo = kernel.Proc<GetNativeSystemInfoFn>("GetNativeSystemInfo")) nativeInfo(&m_nativeSystemInfo);
}
