vmx_library(vmx_format
    PORTABLE
        utility/disk/FormatObject.cpp
        utility/disk/Formatter.cpp
        utility/disk/FatGeometry.cpp
        utility/disk/FatBuilder.cpp
        utility/disk/VolumeSerial.cpp
    DEPS vmx_ntfs vmx_framework)
