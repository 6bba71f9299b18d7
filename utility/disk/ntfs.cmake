vmx_library(vmx_ntfs
    PORTABLE
        utility/disk/NtfsBuilder.cpp)
