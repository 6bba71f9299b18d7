# vmx_application: the utility's application object and command line.
# VelmoraEXUtility: the resident utility (the resources are linked straight into it).
vmx_library(vmx_application
    WIN
        utility/core/CommandLineInfo.cpp
        utility/core/VMUCommandLineInfo.cpp
        utility/core/VelmoraUtilityApp.cpp
    DEPS vmx_traywindow vmx_manager vmx_process vmx_driver vmx_framework_ui
    WIN_LIBS comctl32 ole32 shell32 user32)

if(WIN32)
    add_executable(VelmoraEXUtility WIN32
        utility/core/VelmoraEXUtilityMain.cpp
        utility/core/VelmoraEXUtility.rc)
    target_link_libraries(VelmoraEXUtility PRIVATE vmx_application vmx_resources)
    target_link_options(VelmoraEXUtility PRIVATE -municode -mwindows)
    set_source_files_properties(utility/core/VelmoraEXUtility.rc PROPERTIES
        OBJECT_DEPENDS ${VMX_ROOT}/utility/core/VelmoraEXUtility.manifest)
endif()
