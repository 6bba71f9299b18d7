#pragma once
// The security of the tools channel's pipe: a descriptor whose new DACL gives full file access
// to CREATOR OWNER (inherit-only on children), SYSTEM and Administrators, and all file access
// but WRITE_DAC and WRITE_OWNER to INTERACTIVE.
#include <windows.h>

#include "framework/LocalMemory.h"

class CPipeSecurity {
public:
    // Builds the DACL and the descriptor; Attributes() is null when that failed.
    CPipeSecurity();

    // Security attributes (not inheritable) holding the descriptor, or null.
    SECURITY_ATTRIBUTES* Attributes() { return m_valid ? &m_attributes : nullptr; }
    const ACL* Dacl() const { return m_dacl.Get(); }
    // The error of the step that failed (0 when built).
    DWORD Error() const { return m_error; }

private:
    CPipeSecurity(const CPipeSecurity&) = delete;
    CPipeSecurity& operator=(const CPipeSecurity&) = delete;

    CLocalMemory<PACL> m_dacl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
    bool m_valid = false;
    DWORD m_error = 0;
};
