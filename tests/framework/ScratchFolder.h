#pragma once
// A fresh folder for one test, removed with everything in it when the object goes. Raw file
// helpers that bypass the classes under test.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "framework/FindHandle.h"
#include "framework/Handle.h"
#else
#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/NativePath.h"
#endif

class ScratchFolder {
public:
    ScratchFolder() {
#ifdef _WIN32
        wchar_t temp[MAX_PATH + 1];
        DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        std::wstring base(temp, n);
        static unsigned counter = 0;
        for (;;) {
            m_path = base + L"vmx-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
            if (CreateDirectoryW(m_path.c_str(), nullptr)) break;
        }
#else
        char pattern[] = "/tmp/vmx-XXXXXX";
        if (mkdtemp(pattern)) m_path = UNativePath::ToWide(pattern);
#endif
    }
    ~ScratchFolder() { RemoveTree(m_path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return Join(m_path, name); }

    static wchar_t Separator() {
#ifdef _WIN32
        return L'\\';
#else
        return L'/';
#endif
    }
    static std::wstring Join(const std::wstring& folder, const std::wstring& name) {
        return folder + Separator() + name;
    }

    static bool MakeFolder(const std::wstring& path) {
#ifdef _WIN32
        return CreateDirectoryW(path.c_str(), nullptr) != 0;
#else
        return mkdir(UNativePath::FromWide(path).c_str(), 0777) == 0;
#endif
    }

    static bool Exists(const std::wstring& path) {
#ifdef _WIN32
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
        struct stat st;
        return stat(UNativePath::FromWide(path).c_str(), &st) == 0;
#endif
    }

    // Size of a file, or -1 when it does not exist.
    static int64_t Size(const std::wstring& path) {
#ifdef _WIN32
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
        return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
#else
        struct stat st;
        if (stat(UNativePath::FromWide(path).c_str(), &st) != 0) return -1;
        return st.st_size;
#endif
    }

    static std::vector<char> Read(const std::wstring& path, uint64_t offset = 0, size_t length = SIZE_MAX) {
        std::vector<char> data;
        FILE* f = Open(path, "rb");
        if (!f) return data;
        if (fseeko64(f, static_cast<int64_t>(offset), SEEK_SET) == 0) {
            char buffer[65536];
            while (data.size() < length) {
                size_t want = std::min(sizeof(buffer), length - data.size());
                size_t got = fread(buffer, 1, want, f);
                data.insert(data.end(), buffer, buffer + got);
                if (got < want) break;
            }
        }
        fclose(f);
        return data;
    }

    static bool Write(const std::wstring& path, const std::vector<char>& data) {
        FILE* f = Open(path, "wb");
        if (!f) return false;
        bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
        return fclose(f) == 0 && ok;
    }

    static bool Remove(const std::wstring& path) {
#ifdef _WIN32
        return DeleteFileW(path.c_str()) != 0;
#else
        return unlink(UNativePath::FromWide(path).c_str()) == 0;
#endif
    }

    // Overwrites bytes of an existing file at offset.
    static bool Patch(const std::wstring& path, uint64_t offset, const std::vector<char>& data) {
        FILE* f = Open(path, "r+b");
        if (!f) return false;
        bool ok = fseeko64(f, static_cast<int64_t>(offset), SEEK_SET) == 0 &&
                  fwrite(data.data(), 1, data.size(), f) == data.size();
        return fclose(f) == 0 && ok;
    }

    // Sets a file's length (creating it), leaving what is below the length as it was.
    static bool Resize(const std::wstring& path, uint64_t length) {
#ifdef _WIN32
        const CHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr));
        if (!h) return false;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(length);
        return SetFilePointerEx(h.Get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(h.Get());
#else
        std::string p = UNativePath::FromWide(path);
        FILE* f = fopen(p.c_str(), "ab");
        if (!f) return false;
        fclose(f);
        return truncate(p.c_str(), static_cast<off_t>(length)) == 0;
#endif
    }

    static void RemoveTree(const std::wstring& path) {
        if (path.empty()) return;
#ifdef _WIN32
        WIN32_FIND_DATAW data;
        CFindHandle find;
        if (find.First((path + L"\\*").c_str(), data)) {
            do {
                std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring child = path + L"\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(child);
                else
                    DeleteFileW(child.c_str());
            } while (find.Next(data));
            find.Reset();
        }
        RemoveDirectoryW(path.c_str());
#else
        nftw(
            UNativePath::FromWide(path).c_str(),
            [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 16,
            FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
#endif
    }

private:
    static FILE* Open(const std::wstring& path, const char* mode) {
#ifdef _WIN32
        std::wstring wmode(mode, mode + std::char_traits<char>::length(mode));
        return _wfopen(path.c_str(), wmode.c_str());
#else
        return fopen(UNativePath::FromWide(path).c_str(), mode);
#endif
    }

    std::wstring m_path;
};
