#include "tools/TypedUrlsCleaner.h"

#include <string>
#include <vector>

#include "framework/RegKey.h"

namespace UTypedUrlsCleaner {

const wchar_t kKeyPath[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";

int Run() {
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, kKeyPath, KEY_ALL_ACCESS) != ERROR_SUCCESS) return 0;
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[512];
        DWORD length = 512;
        if (RegEnumValueW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    for (const std::wstring& name : names) RegDeleteValueW(key.Get(), name.c_str());
    return 1;
}

}  // namespace UTypedUrlsCleaner
