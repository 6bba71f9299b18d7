#pragma once
// A disk's bytes in memory: a temporary file in the RAM folder (tmpfs under Wine), sparse,
// deleted when it is closed. Positioned reads and writes; results are Windows error codes.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/Handle.h"

class CStandinRamFile {
public:
    CStandinRamFile() = default;
    CStandinRamFile(const CStandinRamFile&) = delete;
    CStandinRamFile& operator=(const CStandinRamFile&) = delete;
    ~CStandinRamFile();

    // Creates "<folder>\<name>" of size bytes, all zero.
    DWORD Create(const std::wstring& folder, const std::wstring& name, uint64_t size);
    void Close();

    DWORD ReadAt(void* buffer, uint64_t offset, DWORD length) const;
    DWORD WriteAt(const void* buffer, uint64_t offset, DWORD length);

    // When the file last changed (by anyone, through any handle or mount), in FILETIME ticks;
    // 0 when it cannot be read.
    uint64_t LastWriteTime() const;
    // Bytes the file system holds for the file (what its sparse holes do not cover).
    uint64_t HeldBytes() const;
    uint64_t Size() const { return m_size; }
    const std::wstring& Path() const { return m_path; }
    bool IsOpen() const { return m_file.IsValid(); }

private:
    CHandle m_file;
    uint64_t m_size = 0;
    std::wstring m_path;
};
