vmx_library(vmx_driver
    PORTABLE
        utility/disk/DriverPipeFrame.cpp
    WIN
        utility/disk/DriverCommand.cpp
        utility/disk/DeviceNotifier.cpp
        utility/disk/VelmoraAPI.cpp
    DEPS vmx_common vmx_framework
    WIN_LIBS setupapi shell32 user32)
