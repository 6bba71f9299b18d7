#include "utility/core/LoadSettings.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "framework/RegKey.h"

namespace ULoadSettings {

const wchar_t kLoadSettingsKey[] = L"SYSTEM\\CurrentControlSet\\Services\\VelmoraEX\\Parameters\\LoadSettings";

namespace {

const DWORD kFirstBufferChars = 255;
// Registry value names are at most 16,383 characters.
const size_t kLargestNameChars = 32768;

LoadSettingsMap ReadStringValues(HKEY key) {
    LoadSettingsMap values;
    std::vector<wchar_t> name(kFirstBufferChars);
    std::vector<BYTE> data(kFirstBufferChars * sizeof(wchar_t));
    for (DWORD index = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        LONG result = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
        if (result == ERROR_MORE_DATA) {
            bool grew = false;
            if (dataSize > data.size()) {
                data.resize(dataSize);
                grew = true;
            }
            // The name's need is not always reported: grow it whenever nothing else did.
            if (nameLength >= name.size() || !grew) {
                if (name.size() >= kLargestNameChars) {
                    ++index;  // cannot be read; go on with the next value
                    continue;
                }
                name.resize(name.size() * 2);
            }
            continue;
        }
        if (result != ERROR_SUCCESS) break;
        if (type == REG_SZ) {
            std::wstring text(dataSize / sizeof(wchar_t), L'\0');
            if (!text.empty()) std::memcpy(&text[0], data.data(), text.size() * sizeof(wchar_t));
            size_t zero = text.find(L'\0');
            if (zero != std::wstring::npos) text.resize(zero);
            values[std::wstring(name.data(), nameLength)] = text;
        }
        ++index;
    }
    return values;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

LoadSettingsMap ReadLoadSettings() {
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kLoadSettingsKey, KEY_READ) != ERROR_SUCCESS) return {};
    return ReadStringValues(key.Get());
}

bool IsRegisteredIn(const LoadSettingsMap& values, const std::wstring& settingsPath) {
    for (const auto& value : values) {
        if (SamePath(value.second, settingsPath)) return true;
    }
    return false;
}

bool IsRegisteredAtStartup(const std::wstring& settingsPath) {
    return IsRegisteredIn(ReadLoadSettings(), settingsPath);
}

bool RegisterAtStartup(const std::wstring& settingsPath) {
    if (IsRegisteredAtStartup(settingsPath)) return true;
    CRegKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, kLoadSettingsKey, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) !=
        ERROR_SUCCESS)
        return false;
    for (unsigned n = 0;; ++n) {
        std::wstring name = L"StartUp" + std::to_wstring(n);
        LONG result = RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS) continue;
        if (result == ERROR_FILE_NOT_FOUND) {
            RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(settingsPath.c_str()),
                           static_cast<DWORD>(settingsPath.size() * sizeof(wchar_t)));
        }
        return false;
    }
}

long UnregisterAtStartup(const std::wstring& settingsPath) {
    std::vector<std::wstring> names;
    for (const auto& value : ReadLoadSettings()) {
        if (SamePath(value.second, settingsPath)) names.push_back(value.first);
    }
    if (names.empty()) return 1;
    CRegKey key;
    LONG result = key.Open(HKEY_LOCAL_MACHINE, kLoadSettingsKey, KEY_WRITE);
    if (result != ERROR_SUCCESS) return result;
    // A path registered twice (by hand, or by an older copy) would otherwise keep starting the disk.
    for (const std::wstring& name : names) {
        LONG deleted = RegDeleteValueW(key.Get(), name.c_str());
        if (result == ERROR_SUCCESS) result = deleted;
    }
    return result;
}

}  // namespace ULoadSettings
