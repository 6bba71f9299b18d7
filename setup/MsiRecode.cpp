#include "setup/MsiRecode.h"

#include <vector>

std::wstring CMsiRecode::GetString(UINT field) const {
    wchar_t empty[1] = {};
    DWORD length = 0;
    UINT rc = ::MsiRecordGetStringW(Handle(), field, empty, &length);
    if (rc != ERROR_MORE_DATA && rc != ERROR_SUCCESS) return {};
    std::vector<wchar_t> text(length + 1);
    length = static_cast<DWORD>(text.size());
    if (::MsiRecordGetStringW(Handle(), field, text.data(), &length) != ERROR_SUCCESS) return {};
    return std::wstring(text.data(), length);
}
