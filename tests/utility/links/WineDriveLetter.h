#pragma once
// A drive letter for a folder, as a link in the Wine prefix's dosdevices (as Wine's drives are);
// removed again when the object goes.
#include <windows.h>

#include <string>
#include <vector>

class WineDriveLetter {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    using Spawn = long(CDECL*)(char* const argv[], int wait);

public:
    WineDriveLetter(wchar_t letter, const std::wstring& folder) : m_letter(letter) {
        auto toUnix = reinterpret_cast<ToUnix>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        m_spawn = reinterpret_cast<Spawn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
        char prefix[1024] = {};
        if (!toUnix || !m_spawn || !GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix))) return;
        char* unixFolder = toUnix(folder.c_str());
        if (!unixFolder) return;
        std::string target = unixFolder;
        HeapFree(GetProcessHeap(), 0, unixFolder);
        m_link = std::string(prefix) + "/dosdevices/" + static_cast<char>(towlower(letter)) + ":";
        Run({"/bin/ln", "-sfn", target, m_link});
    }
    ~WineDriveLetter() {
        if (!m_link.empty()) Run({"/bin/rm", "-f", m_link});
    }
    bool Works() const {
        const std::wstring root = std::wstring(1, m_letter) + L":\\";
        return !m_link.empty() && GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

private:
    void Run(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(&a[0]);
        argv.push_back(nullptr);
        m_spawn(argv.data(), 1);
    }
    wchar_t m_letter;
    Spawn m_spawn = nullptr;
    std::string m_link;
};
