# vmx_standin_core: the driver stand-in. Request decoding, options, block tracking and change scans are
# portable (fuzzed natively); disks, RAM files and the pipe endpoint are Windows code.
vmx_library(vmx_standin_core
    PORTABLE
        standin/StandinRequest.cpp
        standin/StandinOptions.cpp
        standin/StandinBlockTracker.cpp
        standin/StandinMountScripts.cpp
        standin/StandinChangeScan.cpp
        standin/StandinVolumeKind.cpp
    WIN
        standin/StandinRamFile.cpp
        standin/StandinUnixSide.cpp
        standin/StandinMount.cpp
        standin/StandinVolumeTarget.cpp
        standin/StandinDisk.cpp
        standin/StandinDriver.cpp
        standin/StandinPipeServer.cpp
    DEPS vmx_driver vmx_common vmx_settings_files vmx_image vmx_format vmx_system vmx_framework)

if(WIN32)
    add_executable(VelmoraEXStandin standin/StandinMain.cpp)
    target_link_libraries(VelmoraEXStandin PRIVATE vmx_standin_core)
    target_link_options(VelmoraEXStandin PRIVATE -municode)
endif()

# VelmoraEXStandinBench: save and load throughput next to plain copies (bench/standin runs it).
if(WIN32)
    add_executable(VelmoraEXStandinBench standin/StandinBench.cpp)
    target_link_libraries(VelmoraEXStandinBench PRIVATE vmx_standin_core)
    target_link_options(VelmoraEXStandinBench PRIVATE -municode)
    add_dependencies(VelmoraEXStandinBench VelmoraEXStandin)
endif()

# VelmoraEXStandinScanBench: the per-poll cost of finding unsaved data (bench/standin-scan runs it).
if(WIN32)
    add_executable(VelmoraEXStandinScanBench standin/StandinScanBench.cpp)
    target_link_libraries(VelmoraEXStandinScanBench PRIVATE vmx_standin_core)
    target_link_options(VelmoraEXStandinScanBench PRIVATE -municode)
endif()
