#pragma once
// One way of reading the running processes. The find and window operations are shared:
// they work from EnumProcessIds and GetProcessImagePath. Every out list is emptied first.
#include <windows.h>

#include <cstdint>
#include <list>
#include <string>

class CProcessMgrImp {
public:
    virtual ~CProcessMgrImp() = default;

    // True when at least one id was found.
    virtual bool EnumProcessIds(std::list<uint32_t>& ids) = 0;
    // Full path of the process's executable; empty for id 0 or when it cannot be read.
    virtual std::wstring GetProcessImagePath(uint32_t id) = 0;
    // Ids whose image path equals path, ignoring case; true when any.
    virtual bool FindProcessesByPath(const std::wstring& path, std::list<uint32_t>& ids);
    // Ids whose image base name and extension equal fileName, ignoring case; true when any.
    virtual bool FindProcessesByFileName(const std::wstring& fileName, std::list<uint32_t>& ids);
    // Top-level windows owned by the process; true when any.
    virtual bool GetProcessWindows(uint32_t id, std::list<HWND>& windows);
};
