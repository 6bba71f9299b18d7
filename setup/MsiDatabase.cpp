#include "setup/MsiDatabase.h"

UINT CMsiDatabase::Open(const std::wstring& path) {
    return ::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, m_handle.Put());
}
