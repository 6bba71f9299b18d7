#pragma once
// The file system calls behind directory junctions: a directory's attributes and its reparse
// data. Wine cannot set reparse points; tests replace the system implementation.
#include <windows.h>

#include <cstdint>
#include <vector>

class IReparsePoints {
public:
    virtual ~IReparsePoints() = default;
    // GetFileAttributesW.
    virtual DWORD Attributes(const wchar_t* path) = 0;
    // Opens `directory` for writing and issues FSCTL_SET_REPARSE_POINT with `buffer`; the
    // control call's result, GetLastError set on failure.
    virtual BOOL Set(const wchar_t* directory, const std::vector<uint8_t>& buffer) = 0;
    // Opens `path` for reading and issues FSCTL_GET_REPARSE_POINT into `buffer` (zero-filled,
    // its size is the capacity); `returned` is the byte count. GetLastError set on failure.
    virtual BOOL Get(const wchar_t* path, std::vector<uint8_t>& buffer, DWORD& returned) = 0;
    // RemoveDirectoryW: a junction goes with its reparse data, its target stays.
    virtual BOOL Remove(const wchar_t* directory) = 0;
};

namespace UReparsePoints {

IReparsePoints& Current();
// Installs an implementation (null restores the system one); returns the previous.
IReparsePoints* Replace(IReparsePoints* reparsePoints);

}  // namespace UReparsePoints
