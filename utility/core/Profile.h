#pragma once
// Key access to one INI file through the Windows profile API.
#include <string>
#include <vector>

class CProfile {
public:
    explicit CProfile(std::wstring path);

    const std::wstring& GetPath() const { return m_path; }

    // The value of key in section; empty when the key, the section or the file is missing
    // (an empty stored value reads the same).
    std::wstring GetString(const std::wstring& section, const std::wstring& key) const;

    // The key names of section in file order; empty when the section or the file is missing.
    std::vector<std::wstring> GetKeyNames(const std::wstring& section) const;

    // Writes one value. A file that does not exist yet is first created as UTF-16LE with a
    // byte-order mark, so that the profile API stores Unicode text in every code page; an existing
    // file keeps its encoding. False on failure, with the Windows error code in GetLastError.
    bool WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value);

    // Removes a whole section. A missing file stays missing. False on failure (GetLastError).
    bool DeleteSection(const std::wstring& section);

private:
    // Reads with a growing buffer while the result may have been cut; key == nullptr reads the
    // section's key names, separated by zero characters.
    std::wstring Read(const wchar_t* section, const wchar_t* key) const;
    bool FileExists() const;
    void CreateUnicodeFileIfMissing() const;

    std::wstring m_path;
};
