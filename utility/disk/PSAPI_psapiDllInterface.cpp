#include "utility/disk/PSAPI_psapiDllInterface.h"

CPSAPI_psapiDllInterface::CPSAPI_psapiDllInterface() : CDllInterface(L"PSAPI.DLL") {}

CPSAPI_psapiDllInterface::~CPSAPI_psapiDllInterface() { Forget(); }

bool CPSAPI_psapiDllInterface::Resolve() {
    EnumProcesses = Lookup<EnumProcessesFn>("EnumProcesses");
    EnumProcessModules = Lookup<EnumProcessModulesFn>("EnumProcessModules");
    GetModuleFileNameExA = Lookup<GetModuleFileNameExAFn>("GetModuleFileNameExA");
    GetModuleFileNameExW = Lookup<GetModuleFileNameExWFn>("GetModuleFileNameExW");
    return EnumProcesses && EnumProcessModules && GetModuleFileNameExA && GetModuleFileNameExW;
}

void CPSAPI_psapiDllInterface::Forget() {
    EnumProcesses = nullptr;
    EnumProcessModules = nullptr;
    GetModuleFileNameExA = nullptr;
    GetModuleFileNameExW = nullptr;
}
