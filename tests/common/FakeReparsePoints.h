#pragma once
// Reparse points kept in memory for the real directories they are set on (Wine cannot set them):
// such a directory reads as a reparse point until it is removed through the seam. Installed while
// the object lives.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "common/ReparsePoints.h"

class FakeReparsePoints : public IReparsePoints {
public:
    FakeReparsePoints() : m_previous(UReparsePoints::Replace(this)) {}
    ~FakeReparsePoints() override { UReparsePoints::Replace(m_previous); }

    DWORD Attributes(const wchar_t* path) override {
        const DWORD attributes = GetFileAttributesW(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) return attributes;
        return m_points.count(Key(path)) ? attributes | FILE_ATTRIBUTE_REPARSE_POINT : attributes;
    }
    BOOL Set(const wchar_t* directory, const std::vector<uint8_t>& buffer) override {
        ++sets;
        if (setError != 0) return Fail(setError);
        if (!(GetFileAttributesW(directory) & FILE_ATTRIBUTE_DIRECTORY)) return Fail(ERROR_DIRECTORY);
        m_points[Key(directory)] = buffer;
        return TRUE;
    }
    BOOL Get(const wchar_t* path, std::vector<uint8_t>& buffer, DWORD& returned) override {
        returned = 0;
        auto found = m_points.find(Key(path));
        if (found == m_points.end() || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
            return Fail(ERROR_NOT_A_REPARSE_POINT);
        if (found->second.size() > buffer.size()) return Fail(ERROR_INSUFFICIENT_BUFFER);
        std::copy(found->second.begin(), found->second.end(), buffer.begin());
        returned = static_cast<DWORD>(found->second.size());
        return TRUE;
    }

    BOOL Remove(const wchar_t* directory) override {
        if (!RemoveDirectoryW(directory)) return FALSE;
        m_points.erase(Key(directory));
        return TRUE;
    }

    // Raw reparse data for `path`, as another kind of reparse point would have.
    void Put(const std::wstring& path, const std::vector<uint8_t>& data) { m_points[Key(path)] = data; }
    const std::vector<uint8_t>* Data(const std::wstring& path) const {
        auto found = m_points.find(Key(path));
        return found == m_points.end() ? nullptr : &found->second;
    }

    DWORD setError = 0;  // Set fails with this when not 0
    int sets = 0;

private:
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

    std::map<std::wstring, std::vector<uint8_t>> m_points;
    IReparsePoints* m_previous;
};
