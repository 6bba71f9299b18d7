#pragma once
// PSAPI.DLL: process and module enumeration and module file names.
#include "common/DllInterface.h"

class CPSAPI_psapiDllInterface : public CDllInterface {
public:
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD* ids, DWORD bytes, DWORD* returned);
    using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed);
    using GetModuleFileNameExAFn = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPSTR name, DWORD size);
    using GetModuleFileNameExWFn = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPWSTR name, DWORD size);

    CPSAPI_psapiDllInterface();
    ~CPSAPI_psapiDllInterface() override;

    // All four entry points must be found.
    bool Resolve() override;
    void Forget() override;

    EnumProcessesFn EnumProcesses = nullptr;
    EnumProcessModulesFn EnumProcessModules = nullptr;
    GetModuleFileNameExAFn GetModuleFileNameExA = nullptr;
    GetModuleFileNameExWFn GetModuleFileNameExW = nullptr;
};
