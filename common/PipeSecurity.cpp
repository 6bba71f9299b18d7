#include "common/PipeSecurity.h"

#include <aclapi.h>

namespace {
struct Entry {
    const wchar_t* trustee;
    DWORD access;
    DWORD inheritance;
};
// FILE_ALL_ACCESS without WRITE_DAC and WRITE_OWNER.
constexpr DWORD kInteractiveAccess = FILE_ALL_ACCESS & ~(WRITE_DAC | WRITE_OWNER);
constexpr Entry kEntries[] = {
    {L"CREATOR OWNER", FILE_ALL_ACCESS, 0xF},
    {L"SYSTEM", FILE_ALL_ACCESS, 3},
    {L"Administrators", FILE_ALL_ACCESS, 3},
    {L"INTERACTIVE", kInteractiveAccess, 3},
};
}  // namespace

CPipeSecurity::CPipeSecurity() {
    static_assert(kInteractiveAccess == 0x1301FF, "INTERACTIVE gets 0x1301FF");
    EXPLICIT_ACCESS_W access[4]{};
    wchar_t names[4][32]{};
    for (int i = 0; i < 4; ++i) {
        lstrcpynW(names[i], kEntries[i].trustee, 32);
        BuildExplicitAccessWithNameW(&access[i], names[i], kEntries[i].access, SET_ACCESS, kEntries[i].inheritance);
    }
    PACL dacl = nullptr;
    m_error = SetEntriesInAclW(4, access, nullptr, &dacl);
    if (m_error != ERROR_SUCCESS) return;
    m_dacl.Reset(dacl);
    if (!InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&m_descriptor, TRUE, m_dacl.Get(), FALSE)) {
        m_error = GetLastError();
        return;
    }
    m_attributes.nLength = sizeof(m_attributes);
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
    m_valid = true;
}
