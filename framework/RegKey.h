#pragma once
// An open registry key, closed with RegCloseKey.
#include <windows.h>

#include "framework/UniqueResource.h"

struct RegKeyTraits {
    using Type = HKEY;
    static HKEY Empty() { return nullptr; }
    static bool IsValid(HKEY k) { return k != nullptr; }
    static void Release(HKEY k) { ::RegCloseKey(k); }
};

class CRegKey : public CUniqueResource<RegKeyTraits> {
public:
    using CUniqueResource::CUniqueResource;

    // RegOpenKeyExW; the Win32 result (ERROR_SUCCESS when open).
    LONG Open(HKEY parent, const wchar_t* subKey, REGSAM access) {
        HKEY key = nullptr;
        LONG result = ::RegOpenKeyExW(parent, subKey, 0, access, &key);
        Reset(result == ERROR_SUCCESS ? key : nullptr);
        return result;
    }
    // RegCreateKeyExW (opens the key when it exists); the Win32 result.
    LONG Create(HKEY parent, const wchar_t* subKey, REGSAM access) {
        HKEY key = nullptr;
        LONG result = ::RegCreateKeyExW(parent, subKey, 0, nullptr, 0, access, nullptr, &key, nullptr);
        Reset(result == ERROR_SUCCESS ? key : nullptr);
        return result;
    }
};
