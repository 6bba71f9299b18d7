set(vmx_system_posix)
if(NOT WIN32)
    set(vmx_system_posix utility/disk/DataFolderPosix.cpp)
endif()
vmx_library(vmx_system
    PORTABLE
        utility/disk/JoinPath.cpp
        utility/disk/DriveLetter.cpp
        ${vmx_system_posix}
    WIN
        utility/disk/DataFolder.cpp
        utility/disk/DriveLetterQuery.cpp
        utility/disk/FolderCreation.cpp
        utility/disk/OSVersion.cpp
        utility/disk/IEVersion.cpp
        utility/disk/SystemRestart.cpp
    DEPS vmx_framework
    WIN_LIBS advapi32 shell32 ole32)
