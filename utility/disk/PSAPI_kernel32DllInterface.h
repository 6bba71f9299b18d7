#pragma once
// Kernel32.DLL for the PSAPI implementation: the full image name query, which older
// systems lack. Resolving succeeds without it.
#include "common/DllInterface.h"

class CPSAPI_kernel32DllInterface : public CDllInterface {
public:
    using QueryFullProcessImageNameWFn = BOOL(WINAPI*)(HANDLE process, DWORD flags, LPWSTR name, DWORD* size);

    CPSAPI_kernel32DllInterface();
    ~CPSAPI_kernel32DllInterface() override;

    bool Resolve() override;
    void Forget() override;

    QueryFullProcessImageNameWFn QueryFullProcessImageNameW = nullptr;
};
