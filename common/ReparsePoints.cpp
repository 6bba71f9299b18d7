#include "common/ReparsePoints.h"

#include <winioctl.h>

#include "framework/Handle.h"

namespace UReparsePoints {

namespace {

class CSystemReparsePoints : public IReparsePoints {
public:
    DWORD Attributes(const wchar_t* path) override { return GetFileAttributesW(path); }

    BOOL Set(const wchar_t* directory, const std::vector<uint8_t>& buffer) override {
        CHandle handle(Open(directory, GENERIC_WRITE));
        if (!handle) return FALSE;
        DWORD returned = 0;
        return DeviceIoControl(handle.Get(), FSCTL_SET_REPARSE_POINT, const_cast<uint8_t*>(buffer.data()),
                               static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    }

    BOOL Get(const wchar_t* path, std::vector<uint8_t>& buffer, DWORD& returned) override {
        returned = 0;
        CHandle handle(Open(path, GENERIC_READ));
        if (!handle) return FALSE;
        return DeviceIoControl(handle.Get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                               static_cast<DWORD>(buffer.size()), &returned, nullptr);
    }

    BOOL Remove(const wchar_t* directory) override { return RemoveDirectoryW(directory); }

private:
    // The directory itself, not what it points at; no sharing.
    static HANDLE Open(const wchar_t* path, DWORD access) {
        return CreateFileW(path, access, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    }
};

CSystemReparsePoints g_system;
IReparsePoints* g_current = &g_system;

}  // namespace

IReparsePoints& Current() { return *g_current; }

IReparsePoints* Replace(IReparsePoints* reparsePoints) {
    IReparsePoints* previous = g_current;
    g_current = reparsePoints ? reparsePoints : &g_system;
    return previous;
}

}  // namespace UReparsePoints
