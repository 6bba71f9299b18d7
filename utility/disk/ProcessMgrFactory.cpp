#include "utility/disk/ProcessMgrFactory.h"

#include "utility/disk/PSAPIDllInterface.h"

CProcessMgrFactory& CProcessMgrFactory::Instance() {
    static CProcessMgrFactory instance;
    return instance;
}

CProcessMgrImpCreator* CProcessMgrFactory::DefaultCreator() {
    if (CPSAPIDllInterface::Instance().IsUsable()) return new CProcessMgrPSAPIImpCreator();
    return new CProcessMgrToolHelpImpCreator();
}

void CProcessMgrFactory::ChooseImplementation() { SetCreator(DefaultCreator()); }

void CProcessMgrFactory::SetCreator(CProcessMgrImpCreator* creator) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_creator.reset(creator);
}

CProcessMgrImp* CProcessMgrFactory::CreateImp() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_creator) m_creator.reset(DefaultCreator());
    return m_creator->Create();
}
