#pragma once
// What the browser-cache page asks of the system before a cache may move: the browsers running
// or installed, Chrome's cache folder, and the Windows and Internet Explorer versions.
#include <memory>
#include <string>

class IBrowserFacts {
public:
    virtual ~IBrowserFacts() = default;
    virtual bool IsInternetExplorer10() = 0;
    // Windows 5.0, where Chrome's cache cannot be moved.
    virtual bool IsWindows2000() = 0;
    virtual bool IsFirefoxRunning() = 0;
    virtual bool IsFirefoxInstalled() = 0;
    virtual bool IsChromeRunning() = 0;
    // Chrome's cache folder; empty when it is not found.
    virtual std::wstring ChromeCacheFolder() = 0;
};

// The facts as the system tells them.
std::unique_ptr<IBrowserFacts> CreateSystemBrowserFacts();
