#include "utility/disk/ProcessMgr.h"

#include "utility/disk/ProcessMgrFactory.h"

CProcessMgr::CProcessMgr() : m_imp(CProcessMgrFactory::Instance().CreateImp()) {}

CProcessMgr::~CProcessMgr() = default;
