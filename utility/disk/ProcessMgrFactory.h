#pragma once
// The process-wide holder of the creator that every CProcessMgr uses.
#include "utility/disk/ProcessMgrCreators.h"

#include <memory>
#include <mutex>

class CProcessMgrFactory {
public:
    static CProcessMgrFactory& Instance();

    CProcessMgrFactory() = default;

    // Installs the PSAPI creator when its libraries are usable, else the ToolHelp one.
    // Start-up calls this before anything uses a process manager.
    void ChooseImplementation();

    // Takes ownership of creator; the one installed before is destroyed.
    void SetCreator(CProcessMgrImpCreator* creator);

    // A new implementation from the installed creator (chosen now if none was installed);
    // the caller deletes it.
    CProcessMgrImp* CreateImp();

private:
    CProcessMgrFactory(const CProcessMgrFactory&) = delete;
    CProcessMgrFactory& operator=(const CProcessMgrFactory&) = delete;

    static CProcessMgrImpCreator* DefaultCreator();

    std::mutex m_lock;
    std::unique_ptr<CProcessMgrImpCreator> m_creator;
};
