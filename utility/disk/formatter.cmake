vmx_library(vmx_format
    PORTABLE
        utility/disk/FormatObject.cpp
    DEPS vmx_ntfs)
