vmx_library(vmx_process
    PORTABLE
        utility/disk/ProcessPath.cpp
        utility/disk/ProcessMatch.cpp
    WIN
        utility/disk/PSAPI_psapiDllInterface.cpp
        utility/disk/PSAPI_kernel32DllInterface.cpp
        utility/disk/PSAPIDllInterface.cpp
        utility/disk/ToolHelpDllInterface.cpp
        utility/disk/ProcessMgrImp.cpp
        utility/disk/ProcessMgrPSAPIImp.cpp
        utility/disk/ProcessMgrToolHelpImp.cpp
        utility/disk/ProcessMgrCreators.cpp
        utility/disk/ProcessMgrFactory.cpp
        utility/disk/ProcessMgr.cpp
    DEPS vmx_ntfs vmx_dll)
