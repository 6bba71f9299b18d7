#include "utility/disk/PSAPI_kernel32DllInterface.h"

CPSAPI_kernel32DllInterface::CPSAPI_kernel32DllInterface() : CDllInterface(L"Kernel32.DLL") {}

CPSAPI_kernel32DllInterface::~CPSAPI_kernel32DllInterface() { Forget(); }

bool CPSAPI_kernel32DllInterface::Resolve() {
    QueryFullProcessImageNameW = Lookup<QueryFullProcessImageNameWFn>("QueryFullProcessImageNameW");
    return true;
}

void CPSAPI_kernel32DllInterface::Forget() { QueryFullProcessImageNameW = nullptr; }
