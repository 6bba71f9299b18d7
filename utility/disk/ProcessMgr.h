#pragma once
// What callers hold for one query: an implementation from the factory's creator, used
// through the same operations and deleted with this object.
#include "utility/disk/ProcessMgrImp.h"

#include <memory>

class CProcessMgr {
public:
    CProcessMgr();
    ~CProcessMgr();

    bool EnumProcessIds(std::list<uint32_t>& ids) { return m_imp->EnumProcessIds(ids); }
    std::wstring GetProcessImagePath(uint32_t id) { return m_imp->GetProcessImagePath(id); }
    bool FindProcessesByPath(const std::wstring& path, std::list<uint32_t>& ids) {
        return m_imp->FindProcessesByPath(path, ids);
    }
    bool FindProcessesByFileName(const std::wstring& fileName, std::list<uint32_t>& ids) {
        return m_imp->FindProcessesByFileName(fileName, ids);
    }
    bool GetProcessWindows(uint32_t id, std::list<HWND>& windows) { return m_imp->GetProcessWindows(id, windows); }

private:
    CProcessMgr(const CProcessMgr&) = delete;
    CProcessMgr& operator=(const CProcessMgr&) = delete;

    std::unique_ptr<CProcessMgrImp> m_imp;
};
