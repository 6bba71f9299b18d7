#include "setup/SetupLauncher.h"

#include <shellapi.h>

#include "framework/Handle.h"
#include "setup/MsiDatabase.h"
#include "setup/MsiRecode.h"
#include "setup/MsiView.h"
#include "setup/SetupResources.h"
#include "setup/SetupSwitches.h"
#include "setup/SetupTempFolder.h"
#include "setup/SetupVersion.h"

CSetupLauncher::CSetupLauncher(HMODULE resources, ISetupPrompt& prompt, IWow64Query& wow64)
    : m_resources(resources), m_prompt(prompt), m_wow64(wow64) {}

CSetupLauncher::EEnd CSetupLauncher::Run(const std::vector<std::wstring>& arguments) {
    m_package = {};
    m_installed.clear();
    m_parameters.clear();
    m_exitCode = static_cast<DWORD>(-1);

    CSetupTempFolder temp;
    if (!temp.Create()) return EEnd::NoTempFolder;
    m_tempFolder = temp.Path();
    const std::wstring passThrough = USetupSwitches::PassThrough(arguments);
    m_packageId = m_wow64.IsWow64() ? IDR_PACKAGE_X64 : IDR_PACKAGE_X86;
    const std::wstring path = temp.File(L"VelmoraEX.msi");
    if (!Extract(m_packageId, path)) return EEnd::NoPackage;
    if (!ReadPackage(path, m_package)) return EEnd::PackageUnreadable;

    UINT rc = ReadInstalledVersion(m_package.productCode, m_installed);
    if (rc == ERROR_UNKNOWN_PRODUCT) {
        m_prompt.Show(m_package.productName, LoadText(IDS_NOT_INSTALLED), MB_ICONERROR);
        return EEnd::NotInstalled;
    }
    if (rc != ERROR_SUCCESS) return EEnd::InstalledUnreadable;

    switch (USetupVersion::Compare(m_package.productVersion, m_installed)) {
        case USetupVersion::EOrder::Malformed:
            return EEnd::VersionMalformed;
        case USetupVersion::EOrder::Older:
            m_prompt.Show(m_package.productName, LoadText(IDS_NEWER_INSTALLED), MB_ICONWARNING);
            return EEnd::Older;
        case USetupVersion::EOrder::Equal:
            m_prompt.Show(m_package.productName, LoadText(IDS_UP_TO_DATE), MB_ICONINFORMATION);
            return EEnd::Equal;
        case USetupVersion::EOrder::Newer:
            break;
    }
    m_parameters = USetupSwitches::InstallerParameters(path, passThrough);
    m_exitCode = RunInstaller(m_parameters);
    return EEnd::Updated;
}

bool CSetupLauncher::Extract(int id, const std::wstring& path) const {
    HRSRC found = ::FindResourceW(m_resources, MAKEINTRESOURCEW(id), L"BINARY");
    if (found == nullptr) return false;
    HGLOBAL loaded = ::LoadResource(m_resources, found);
    DWORD size = ::SizeofResource(m_resources, found);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr || size == 0) return false;

    CHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    bool ok = ::WriteFile(file.Get(), data, size, &written, nullptr) && written == size;
    file.Reset();
    if (!ok) ::DeleteFileW(path.c_str());
    return ok;
}

bool CSetupLauncher::ReadPackage(const std::wstring& path, Package& package) {
    CMsiDatabase database;
    if (database.Open(path) != ERROR_SUCCESS) return false;
    CMsiView view;
    if (view.Open(database,
                  L"SELECT * FROM Property WHERE Property = 'ProductCode' OR Property = 'ProductVersion' OR "
                  L"Property = 'ProductName'") != ERROR_SUCCESS)
        return false;
    if (view.Execute() != ERROR_SUCCESS) return true;
    CMsiRecode record;
    while (view.Fetch(record) == ERROR_SUCCESS) {
        const std::wstring name = record.GetString(1);
        if (name == L"ProductCode")
            package.productCode = record.GetString(2);
        else if (name == L"ProductVersion")
            package.productVersion = record.GetString(2);
        else if (name == L"ProductName")
            package.productName = record.GetString(2);
    }
    return true;
}

UINT CSetupLauncher::ReadInstalledVersion(const std::wstring& productCode, std::wstring& version) {
    DWORD length = 0;
    UINT rc = ::MsiGetProductInfoExW(productCode.c_str(), nullptr, MSIINSTALLCONTEXT_MACHINE,
                                     INSTALLPROPERTY_VERSIONSTRING, nullptr, &length);
    if (rc != ERROR_SUCCESS) return rc;
    std::wstring text(length + 1, L'\0');
    length += 1;
    rc = ::MsiGetProductInfoExW(productCode.c_str(), nullptr, MSIINSTALLCONTEXT_MACHINE, INSTALLPROPERTY_VERSIONSTRING,
                                &text[0], &length);
    if (rc != ERROR_SUCCESS) return rc;
    text.resize(length);
    version = text;
    return ERROR_SUCCESS;
}

std::wstring CSetupLauncher::LoadText(UINT id) const {
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(m_resources, id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text != nullptr ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

DWORD CSetupLauncher::RunInstaller(const std::wstring& parameters) const {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = L"msiexec.exe";
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) return static_cast<DWORD>(-1);
    CHandle process(info.hProcess);
    if (!process) return static_cast<DWORD>(-1);
    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    if (!::GetExitCodeProcess(process.Get(), &code)) return static_cast<DWORD>(-1);
    return code;
}
