#include "utility/disk/FolderCreation.h"

#include <aclapi.h>

#include "framework/FileSystem.h"

namespace UFolderCreation {

namespace {
const DWORD kFullControl = 0x1F01FF;
const DWORD kModify = 0x1301FF;
const DWORD kInheritOnly = 15;  // object and container inherit, no propagate, inherit only
const DWORD kInheritAll = 3;    // object and container inherit

void SetEntry(EXPLICIT_ACCESSW& entry, const wchar_t* trustee, DWORD rights, DWORD inheritance) {
    BuildExplicitAccessWithNameW(&entry, const_cast<LPWSTR>(trustee), rights, SET_ACCESS, inheritance);
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsBareDrive(const std::wstring& prefix) { return prefix.size() == 2 && prefix[1] == L':'; }

// Length of a "\\server\share" head, which cannot be created; 0 for other paths.
size_t UncHeadLength(const std::wstring& path) {
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return 0;
    size_t server = path.find_first_of(L"\\/", 2);
    if (server == std::wstring::npos) return path.size();
    size_t share = path.find_first_of(L"\\/", server + 1);
    return share == std::wstring::npos ? path.size() : share;
}
}  // namespace

CFolderSecurity::CFolderSecurity(AccessVariant variant) {
    EXPLICIT_ACCESSW entries[4] = {};
    SetEntry(entries[0], L"CREATOR OWNER", kFullControl, kInheritOnly);
    SetEntry(entries[1], L"SYSTEM", kFullControl, kInheritAll);
    SetEntry(entries[2], L"Administrators", kFullControl, kInheritAll);
    if (variant == AccessVariant::Interactive)
        SetEntry(entries[3], L"INTERACTIVE", kModify, kInheritAll);
    else
        SetEntry(entries[3], L"EVERYONE", kFullControl, kInheritAll);
    PACL acl = nullptr;
    if (SetEntriesInAclW(4, entries, nullptr, &acl) != ERROR_SUCCESS) return;
    m_acl.Reset(acl);
    if (!InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&m_descriptor, TRUE, m_acl.Get(), FALSE))
        return;
    m_attributes.nLength = sizeof(m_attributes);
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
    m_valid = true;
}

bool CreateFolderPath(const std::wstring& path, SECURITY_ATTRIBUTES* attributes) {
    std::wstring whole = path;
    while (!whole.empty() && IsSeparator(whole.back())) whole.pop_back();
    if (whole.empty()) return false;

    bool result = true;
    size_t start = UncHeadLength(whole);
    for (size_t pos = start; pos <= whole.size(); ++pos) {
        if (pos < whole.size() && !IsSeparator(whole[pos])) continue;
        std::wstring prefix = whole.substr(0, pos);
        if (prefix.empty() || IsBareDrive(prefix) || IsSeparator(prefix.back()) || UFileSystem::Exists(prefix))
            continue;
        bool last = pos == whole.size();
        result = CreateDirectoryW(prefix.c_str(), last ? attributes : nullptr) != FALSE;
    }
    return result;
}

bool CreateFolderWithRights(const std::wstring& path, AccessVariant variant) {
    CFolderSecurity security(variant);
    return CreateFolderPath(path, security.Attributes());
}

}  // namespace UFolderCreation
