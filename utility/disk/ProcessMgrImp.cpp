#include "utility/disk/ProcessMgrImp.h"

#include "utility/disk/ProcessMatch.h"

namespace {
// Bounds the walk should the window list change into a cycle while it is read.
const size_t kMaxWindows = 1u << 16;
}  // namespace

bool CProcessMgrImp::FindProcessesByPath(const std::wstring& path, std::list<uint32_t>& ids) {
    std::list<uint32_t> all;
    EnumProcessIds(all);
    return UProcessMatch::FilterByPath(
        all, [this](uint32_t id) { return GetProcessImagePath(id); }, path, ids);
}

bool CProcessMgrImp::FindProcessesByFileName(const std::wstring& fileName, std::list<uint32_t>& ids) {
    std::list<uint32_t> all;
    EnumProcessIds(all);
    return UProcessMatch::FilterByFileName(
        all, [this](uint32_t id) { return GetProcessImagePath(id); }, fileName, ids);
}

bool CProcessMgrImp::GetProcessWindows(uint32_t id, std::list<HWND>& windows) {
    windows.clear();
    size_t seen = 0;
    for (HWND wnd = GetWindow(GetDesktopWindow(), GW_CHILD); wnd && seen < kMaxWindows;
         wnd = GetWindow(wnd, GW_HWNDNEXT), ++seen) {
        DWORD owner = 0;
        GetWindowThreadProcessId(wnd, &owner);
        if (owner == id) windows.push_back(wnd);
    }
    return !windows.empty();
}
