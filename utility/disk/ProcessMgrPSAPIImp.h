#pragma once
// Processes read through PSAPI, with the full image name query where kernel32 has it.
#include "utility/disk/PSAPIDllInterface.h"
#include "utility/disk/ProcessMgrImp.h"

class CProcessMgrPSAPIImp : public CProcessMgrImp {
public:
    // Uses the process-wide libraries.
    CProcessMgrPSAPIImp();
    // Uses the given libraries (loaded by the caller).
    explicit CProcessMgrPSAPIImp(CPSAPIDllInterface& dll);

    bool EnumProcessIds(std::list<uint32_t>& ids) override;
    std::wstring GetProcessImagePath(uint32_t id) override;

private:
    std::wstring QueryImageName(HANDLE process);
    std::wstring FirstModuleName(HANDLE process);

    CPSAPIDllInterface& m_dll;
    bool m_usable;
};
