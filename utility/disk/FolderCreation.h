#pragma once
// Folders created with the suite's fixed access-control lists.
#include <windows.h>

#include <string>

#include "framework/LocalMemory.h"

namespace UFolderCreation {

enum class AccessVariant {
    Interactive,  // interactive users may read, write, execute and delete
    Everyone,     // everyone has full control
};

// Owns the ACL and the security descriptor handed to CreateDirectoryW.
class CFolderSecurity {
public:
    explicit CFolderSecurity(AccessVariant variant);
    CFolderSecurity(const CFolderSecurity&) = delete;
    CFolderSecurity& operator=(const CFolderSecurity&) = delete;

    // Null when the ACL could not be built.
    SECURITY_ATTRIBUTES* Attributes() { return m_valid ? &m_attributes : nullptr; }

private:
    CLocalMemory<PACL> m_acl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
    bool m_valid = false;
};

// Creates each missing folder of path; only the whole path gets the security attributes.
// Result of the last creation attempt, true when nothing needed creating.
bool CreateFolderPath(const std::wstring& path, SECURITY_ATTRIBUTES* attributes);

// CreateFolderPath with the given access variant on the last folder.
bool CreateFolderWithRights(const std::wstring& path, AccessVariant variant);

}  // namespace UFolderCreation
