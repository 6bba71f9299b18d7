#pragma once
// Kernel32.DLL's snapshot functions for the ToolHelp implementation. Instance() is the
// process-wide one; it loads the library on first use.
#include "common/DllInterface.h"

#include <tlhelp32.h>

#include <mutex>

class CToolHelpDllInterface : public CDllInterface {
public:
    using CreateToolhelp32SnapshotFn = HANDLE(WINAPI*)(DWORD flags, DWORD processId);
    using Module32WFn = BOOL(WINAPI*)(HANDLE snapshot, MODULEENTRY32W* entry);
    using Process32WFn = BOOL(WINAPI*)(HANDLE snapshot, PROCESSENTRY32W* entry);

    static CToolHelpDllInterface& Instance();

    CToolHelpDllInterface();
    ~CToolHelpDllInterface() override;

    // All five entry points must be found.
    bool Resolve() override;
    void Forget() override;

    // Loads the library once; true when all entry points are there.
    bool IsUsable();

    CreateToolhelp32SnapshotFn CreateToolhelp32Snapshot = nullptr;
    Module32WFn Module32FirstW = nullptr;
    Module32WFn Module32NextW = nullptr;
    Process32WFn Process32FirstW = nullptr;
    Process32WFn Process32NextW = nullptr;

private:
    std::mutex m_lock;
    bool m_tried = false;
};
