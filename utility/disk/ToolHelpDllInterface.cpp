#include "utility/disk/ToolHelpDllInterface.h"

CToolHelpDllInterface& CToolHelpDllInterface::Instance() {
    static CToolHelpDllInterface instance;
    return instance;
}

CToolHelpDllInterface::CToolHelpDllInterface() : CDllInterface(L"Kernel32.DLL") {}

CToolHelpDllInterface::~CToolHelpDllInterface() { Forget(); }

bool CToolHelpDllInterface::Resolve() {
    CreateToolhelp32Snapshot = Lookup<CreateToolhelp32SnapshotFn>("CreateToolhelp32Snapshot");
    Module32FirstW = Lookup<Module32WFn>("Module32FirstW");
    Module32NextW = Lookup<Module32WFn>("Module32NextW");
    Process32FirstW = Lookup<Process32WFn>("Process32FirstW");
    Process32NextW = Lookup<Process32WFn>("Process32NextW");
    return CreateToolhelp32Snapshot && Module32FirstW && Module32NextW && Process32FirstW && Process32NextW;
}

void CToolHelpDllInterface::Forget() {
    CreateToolhelp32Snapshot = nullptr;
    Module32FirstW = nullptr;
    Module32NextW = nullptr;
    Process32FirstW = nullptr;
    Process32NextW = nullptr;
}

bool CToolHelpDllInterface::IsUsable() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_tried) {
        m_tried = true;
        Load();
    }
    return IsLoaded();
}
