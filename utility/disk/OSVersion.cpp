#include "utility/disk/OSVersion.h"

namespace {
const DWORD kPlainInfoSize = 276;     // OSVERSIONINFOW
const DWORD kExtendedInfoSize = 284;  // OSVERSIONINFOEXW

using GetVersionExFn = BOOL(WINAPI*)(OSVERSIONINFOW*);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
using GetNativeSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
}  // namespace

void COSVersion::Read() {
    m_version = OSVERSIONINFOEXW{};
    m_wow64 = 0;
    m_productType = 0;
    m_nativeSystemInfo = SYSTEM_INFO{};

    HMODULE kernel = LoadLibraryW(L"Kernel32.dll");
    // Looked up at run time: the declaration is deprecated in newer SDKs.
    auto getVersionEx = kernel ? Lookup<GetVersionExFn>(kernel, "GetVersionExW") : nullptr;
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

    if (auto isWow64 = Lookup<IsWow64ProcessFn>(kernel, "IsWow64Process")) {
        BOOL wow64 = FALSE;
        if (isWow64(GetCurrentProcess(), &wow64)) m_wow64 = wow64 ? 1 : 0;
    }
    if (auto productInfo = Lookup<GetProductInfoFn>(kernel, "GetProductInfo")) {
        DWORD type = 0;
        if (productInfo(m_version.dwMajorVersion, m_version.dwMinorVersion, m_version.wServicePackMajor,
                        m_version.wServicePackMinor, &type))
            m_productType = type;
    }
    if (auto nativeInfo = Lookup<GetNativeSystemInfoFn>(kernel, "GetNativeSystemInfo")) nativeInfo(&m_nativeSystemInfo);
    FreeLibrary(kernel);
}
