vmx_library(vmx_ntfs
    PORTABLE
        utility/disk/NtfsAttrDef.cpp
        utility/disk/NtfsAttributeValue.cpp
        utility/disk/NtfsBootCode.cpp
        utility/disk/NtfsBootSector.cpp
        utility/disk/NtfsBuilder.cpp
        utility/disk/NtfsClusterMap.cpp
        utility/disk/NtfsFixup.cpp
        utility/disk/NtfsIndex.cpp
        utility/disk/NtfsLayout.cpp
        utility/disk/NtfsQuota.cpp
        utility/disk/NtfsRecord.cpp
        utility/disk/NtfsRunList.cpp
        utility/disk/NtfsSecurity.cpp
        utility/disk/NtfsUpCase.cpp
    DEPS vmx_framework)
