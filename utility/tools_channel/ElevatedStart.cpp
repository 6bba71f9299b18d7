#include "utility/tools_channel/ElevatedStart.h"

#include <shellapi.h>

bool CRunasStart::Start(const std::wstring& program, CHandle& process) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return false;
    process.Reset(info.hProcess);
    return process.IsValid();
}

CRunasStart& CRunasStart::Instance() {
    static CRunasStart start;
    return start;
}
