#pragma once
// Reparse points kept in the registry of the Wine prefix, one binary value a directory under
// HKCU\Software\VelmoraEXTests\ReparsePoints, for the real directories they are set on (Wine
// cannot set them). Every process of the prefix sees the same ones, so a test and the tools
// program it starts share their junctions. Installed while the object lives.
#include <windows.h>

#include <string>
#include <vector>

#include "common/ReparsePoints.h"
#include "framework/RegKey.h"

class StoredReparsePoints : public IReparsePoints {
public:
    // Fresh: starts from an empty store and empties it again when the object goes (the test's
    // side); Join: uses what is there (the tools program's side).
    enum class Store { Join, Fresh };

    explicit StoredReparsePoints(Store store = Store::Join)
        : m_fresh(store == Store::Fresh), m_previous(UReparsePoints::Replace(this)) {
        if (m_fresh) Clear();
    }
    ~StoredReparsePoints() override {
        UReparsePoints::Replace(m_previous);
        if (m_fresh) Clear();
    }

    DWORD Attributes(const wchar_t* path) override {
        const DWORD attributes = GetFileAttributesW(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) return attributes;
        return Data(path).empty() ? attributes : attributes | FILE_ATTRIBUTE_REPARSE_POINT;
    }
    BOOL Set(const wchar_t* directory, const std::vector<uint8_t>& buffer) override {
        const DWORD attributes = GetFileAttributesW(directory);
        if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || buffer.empty()) return Fail(ERROR_DIRECTORY);
        CRegKey key;
        LONG result = key.Create(HKEY_CURRENT_USER, kKey, KEY_SET_VALUE);
        if (result == ERROR_SUCCESS)
            result = RegSetValueExW(key.Get(), Key(directory).c_str(), 0, REG_BINARY, buffer.data(),
                                    static_cast<DWORD>(buffer.size()));
        return result == ERROR_SUCCESS ? TRUE : Fail(static_cast<DWORD>(result));
    }
    BOOL Get(const wchar_t* path, std::vector<uint8_t>& buffer, DWORD& returned) override {
        returned = 0;
        const std::vector<uint8_t> data = Data(path);
        if (data.empty() || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return Fail(ERROR_NOT_A_REPARSE_POINT);
        if (data.size() > buffer.size()) return Fail(ERROR_INSUFFICIENT_BUFFER);
        std::copy(data.begin(), data.end(), buffer.begin());
        returned = static_cast<DWORD>(data.size());
        return TRUE;
    }
    BOOL Remove(const wchar_t* directory) override {
        if (!RemoveDirectoryW(directory)) return FALSE;
        CRegKey key;
        if (key.Open(HKEY_CURRENT_USER, kKey, KEY_SET_VALUE) == ERROR_SUCCESS)
            RegDeleteValueW(key.Get(), Key(directory).c_str());
        return TRUE;
    }

    // The reparse data stored for `path`; empty when there is none.
    static std::vector<uint8_t> Data(const std::wstring& path) {
        CRegKey key;
        if (key.Open(HKEY_CURRENT_USER, kKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return {};
        DWORD size = 0, type = 0;
        const std::wstring name = Key(path);
        if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_BINARY)
            return {};
        std::vector<uint8_t> data(size);
        if (size == 0 || RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            return {};
        data.resize(size);
        return data;
    }

private:
    static constexpr const wchar_t* kKey = L"Software\\VelmoraEXTests\\ReparsePoints";

    static void Clear() { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
    static std::wstring Key(const std::wstring& path) {
        std::wstring key = path;
        CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
        while (!key.empty() && key.back() == L'\\') key.pop_back();
        return key;
    }
    static BOOL Fail(DWORD error) {
        SetLastError(error);
        return FALSE;
    }

    bool m_fresh;
    IReparsePoints* m_previous;
};
