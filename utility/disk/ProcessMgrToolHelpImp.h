#pragma once
// Processes read through the ToolHelp snapshot functions.
#include "utility/disk/ProcessMgrImp.h"
#include "utility/disk/ToolHelpDllInterface.h"

class CProcessMgrToolHelpImp : public CProcessMgrImp {
public:
    // Uses the process-wide library.
    CProcessMgrToolHelpImp();
    explicit CProcessMgrToolHelpImp(CToolHelpDllInterface& dll);

    bool EnumProcessIds(std::list<uint32_t>& ids) override;
    std::wstring GetProcessImagePath(uint32_t id) override;

private:
    CToolHelpDllInterface& m_dll;
    bool m_usable;
};
