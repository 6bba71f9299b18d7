#pragma once
// The shell-folder setter as Windows has it (Wine's answers S_OK and moves nothing): the new
// location goes into "User Shell Folders", which SHGetFolderPathW reads for real. Installed while
// the object lives.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "framework/RegKey.h"
#include "utility/links/ShellFolder.h"

class FakeShellFolderSetter : public IShellFolderSetter {
public:
    FakeShellFolderSetter() : m_previous(UShellFolder::ReplaceSetter(this)) {}
    ~FakeShellFolderSetter() override { UShellFolder::ReplaceSetter(m_previous); }

    long Set(int folder, const wchar_t* path) override {
        ++sets;
        if (result != S_OK) return result;
        const wchar_t* name = folder == CSIDL_INTERNET_CACHE ? L"Cache"
                              : folder == CSIDL_HISTORY      ? L"History"
                                                             : nullptr;
        CRegKey key;
        if (!name ||
            key.Create(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                       KEY_SET_VALUE) != ERROR_SUCCESS)
            return E_INVALIDARG;
        const std::wstring value = path;
        RegSetValueExW(key.Get(), name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        return S_OK;
    }

    long result = S_OK;  // what Set answers; anything else sets nothing
    int sets = 0;

private:
    IShellFolderSetter* m_previous;
};
