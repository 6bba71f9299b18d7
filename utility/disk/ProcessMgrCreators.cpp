#include "utility/disk/ProcessMgrCreators.h"

#include "utility/disk/ProcessMgrPSAPIImp.h"
#include "utility/disk/ProcessMgrToolHelpImp.h"

CProcessMgrImp* CProcessMgrPSAPIImpCreator::Create() const { return new CProcessMgrPSAPIImp(); }

CProcessMgrImp* CProcessMgrToolHelpImpCreator::Create() const { return new CProcessMgrToolHelpImp(); }
