#include "utility/disk/ProcessMgrToolHelpImp.h"

#include "framework/Handle.h"
#include "utility/disk/ProcessPath.h"

CProcessMgrToolHelpImp::CProcessMgrToolHelpImp() : CProcessMgrToolHelpImp(CToolHelpDllInterface::Instance()) {}

CProcessMgrToolHelpImp::CProcessMgrToolHelpImp(CToolHelpDllInterface& dll) : m_dll(dll), m_usable(dll.IsUsable()) {}

bool CProcessMgrToolHelpImp::EnumProcessIds(std::list<uint32_t>& ids) {
    ids.clear();
    if (!m_usable) return false;
    const CHandle snapshot(m_dll.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid()) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = m_dll.Process32FirstW(snapshot.Get(), &entry); more;
         more = m_dll.Process32NextW(snapshot.Get(), &entry)) {
        ids.push_back(entry.th32ProcessID);
        entry.dwSize = sizeof(entry);
    }
    return !ids.empty();
}

std::wstring CProcessMgrToolHelpImp::GetProcessImagePath(uint32_t id) {
    if (id == 0 || !m_usable) return std::wstring();
    const CHandle snapshot(m_dll.CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, id));
    if (!snapshot.IsValid()) return std::wstring();
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = m_dll.Module32FirstW(snapshot.Get(), &entry); more;
         more = m_dll.Module32NextW(snapshot.Get(), &entry)) {
        entry.szExePath[MAX_PATH - 1] = 0;
        std::wstring path = entry.szExePath;
        if (UProcessPath::HasExeExtension(path)) return path;
        entry.dwSize = sizeof(entry);
    }
    return std::wstring();
}
