#pragma once
// The update run: extracts the package matching the machine into a fresh temporary folder, reads
// its product code, version and name, compares the version with the installed one and runs
// msiexec.exe to reinstall from it, or tells the user why not. The temporary folder is gone when
// Run returns, on every path.
#include <windows.h>

#include <string>
#include <vector>

#include "setup/SetupPrompt.h"
#include "setup/Wow64Query.h"

class CSetupLauncher {
public:
    // Where Run ended.
    enum class EEnd {
        NoTempFolder,       // the temporary folder could not be made
        NoPackage,          // the package resource is missing or could not be written
        PackageUnreadable,  // its database or Property view could not be opened
        NotInstalled,       // message 130
        InstalledUnreadable,
        VersionMalformed,  // a version that is not dotted decimal numbers
        Older,             // message 129
        Equal,             // message 131
        Updated,           // msiexec.exe was run
    };
    struct Package {
        std::wstring productCode, productVersion, productName;
    };

    // `resources` holds the packages and the message texts.
    CSetupLauncher(HMODULE resources, ISetupPrompt& prompt, IWow64Query& wow64);

    EEnd Run(const std::vector<std::wstring>& arguments);

    // What the last Run found and did.
    int PackageId() const { return m_packageId; }
    const std::wstring& TempFolder() const { return m_tempFolder; }
    const Package& PackageProperties() const { return m_package; }
    const std::wstring& InstalledVersion() const { return m_installed; }
    const std::wstring& InstallerParameters() const { return m_parameters; }
    DWORD InstallerExitCode() const { return m_exitCode; }

    static bool ReadPackage(const std::wstring& path, Package& package);
    // VersionString of `productCode` in the per-machine context; the installer's result.
    static UINT ReadInstalledVersion(const std::wstring& productCode, std::wstring& version);

private:
    bool Extract(int id, const std::wstring& path) const;
    std::wstring LoadText(UINT id) const;
    DWORD RunInstaller(const std::wstring& parameters) const;

    HMODULE m_resources;
    ISetupPrompt& m_prompt;
    IWow64Query& m_wow64;
    int m_packageId = 0;
    std::wstring m_tempFolder;
    Package m_package;
    std::wstring m_installed;
    std::wstring m_parameters;
    DWORD m_exitCode = static_cast<DWORD>(-1);
};
