#pragma once
// The launcher's fresh temporary folder: a unique name from GetTempFileNameW made a folder; every
// file in it and the folder itself are removed when the object goes.
#include <windows.h>

#include <string>

class CSetupTempFolder {
public:
    CSetupTempFolder() = default;
    ~CSetupTempFolder();
    CSetupTempFolder(const CSetupTempFolder&) = delete;
    CSetupTempFolder& operator=(const CSetupTempFolder&) = delete;

    // False when any step fails (nothing is left behind then).
    bool Create();
    const std::wstring& Path() const { return m_path; }
    // `name` inside the folder.
    std::wstring File(const wchar_t* name) const;
    // Deletes every file in the folder and removes it.
    void Remove();

private:
    std::wstring m_path;
};
