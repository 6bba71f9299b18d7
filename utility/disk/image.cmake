# vmx_image: the backup image piece set and its operations (portable: the same code runs
# natively for the format-image tool and the benchmark).
vmx_library(vmx_image
    PORTABLE
        utility/disk/ListFile.cpp
        utility/disk/VelmoraDiskFile.cpp
        utility/disk/BackupImage.cpp
    DEPS vmx_format vmx_framework vmx_system)
