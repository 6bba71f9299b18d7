#pragma once
// The libraries of the PSAPI implementation. Instance() is the process-wide one; it
// loads its libraries on first use and keeps them until the program ends.
#include "utility/disk/PSAPI_kernel32DllInterface.h"
#include "utility/disk/PSAPI_psapiDllInterface.h"

#include <mutex>

class CPSAPIDllInterface {
public:
    static CPSAPIDllInterface& Instance();

    CPSAPIDllInterface() = default;

    // Loads both libraries (once); usable when PSAPI loads with all its entry points
    // and the kernel32 part loads.
    bool IsUsable();

    CPSAPI_psapiDllInterface& Psapi() { return m_psapi; }
    CPSAPI_kernel32DllInterface& Kernel32() { return m_kernel32; }

private:
    CPSAPIDllInterface(const CPSAPIDllInterface&) = delete;
    CPSAPIDllInterface& operator=(const CPSAPIDllInterface&) = delete;

    std::mutex m_lock;
    bool m_tried = false;
    bool m_usable = false;
    CPSAPI_psapiDllInterface m_psapi;
    CPSAPI_kernel32DllInterface m_kernel32;
};
