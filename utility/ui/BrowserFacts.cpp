#include "utility/ui/BrowserFacts.h"

#include <windows.h>

#include "utility/disk/IEVersion.h"
#include "utility/disk/OSVersion.h"
#include "utility/links/BrowserChrome.h"
#include "utility/links/BrowserFirefox.h"
#include "utility/links/FirefoxProfileIni.h"

namespace {

class CSystemBrowserFacts : public IBrowserFacts {
public:
    bool IsInternetExplorer10() override {
        CIEVersion version;
        version.Read();
        return version.IsVersion10();
    }
    bool IsWindows2000() override {
        COSVersion version;
        version.Read();
        return version.m_version.dwMajorVersion == 5 && version.m_version.dwMinorVersion == 0;
    }
    bool IsFirefoxRunning() override { return UBrowserFirefox::IsRunning(); }
    // Installed means a default profile to put the cache preference in.
    bool IsFirefoxInstalled() override {
        UBrowserFirefox::CFirefoxProfileIni profiles;
        std::wstring folder;
        return profiles.Load(UBrowserFirefox::RoamingRoot()) && profiles.GetDefaultProfileFolder(folder);
    }
    bool IsChromeRunning() override { return UBrowserChrome::IsRunning(); }
    // The folder (or the junction standing for it) when it exists.
    std::wstring ChromeCacheFolder() override {
        const std::wstring folder = UBrowserChrome::CacheFolder();
        const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::wstring();
        return folder;
    }
};

}  // namespace

std::unique_ptr<IBrowserFacts> CreateSystemBrowserFacts() { return std::make_unique<CSystemBrowserFacts>(); }
