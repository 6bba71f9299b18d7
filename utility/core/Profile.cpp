#include "utility/core/Profile.h"

#include <windows.h>

#include <utility>

#include "framework/Handle.h"

namespace {
const DWORD kFirstBufferChars = 1024;
// Far beyond any INI value; stops the doubling should the API keep reporting a full buffer.
const DWORD kLargestBufferChars = 64u * 1024 * 1024;
}  // namespace

CProfile::CProfile(std::wstring path) : m_path(std::move(path)) {}

std::wstring CProfile::Read(const wchar_t* section, const wchar_t* key) const {
    std::vector<wchar_t> buffer;
    DWORD size = kFirstBufferChars;
    for (;;) {
        buffer.assign(size, L'\0');
        DWORD length = GetPrivateProfileStringW(section, key, L"", buffer.data(), size, m_path.c_str());
        // size - 1: a value was cut; size - 2: a list of names was cut.
        bool possiblyCut = length == size - 1 || length == size - 2;
        if (!possiblyCut || size >= kLargestBufferChars) return std::wstring(buffer.data(), length);
        size *= 2;
    }
}

std::wstring CProfile::GetString(const std::wstring& section, const std::wstring& key) const {
    return Read(section.c_str(), key.c_str());
}

std::vector<std::wstring> CProfile::GetKeyNames(const std::wstring& section) const {
    std::wstring list = Read(section.c_str(), nullptr);
    std::vector<std::wstring> names;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(L'\0', start);
        if (end == std::wstring::npos) end = list.size();
        if (end > start) names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

bool CProfile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    CreateUnicodeFileIfMissing();
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), m_path.c_str()) != FALSE;
}

bool CProfile::DeleteSection(const std::wstring& section) {
    if (!FileExists()) return true;
    return WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, m_path.c_str()) != FALSE;
}

bool CProfile::FileExists() const {
    DWORD attributes = GetFileAttributesW(m_path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CProfile::CreateUnicodeFileIfMissing() const {
    CHandle file(CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Already there (or not creatable, which the profile write then reports): nothing to do.
    if (!file) return;
    static const BYTE kUtf16LeMark[2] = {0xFF, 0xFE};
    DWORD written = 0;
    BOOL ok = WriteFile(file.Get(), kUtf16LeMark, sizeof kUtf16LeMark, &written, nullptr);
    file.Reset();
    // A file that did not get its mark would be written in the ANSI code page: remove it, and let
    // the profile API create it instead.
    if (!ok || written != sizeof kUtf16LeMark) DeleteFileW(m_path.c_str());
}
