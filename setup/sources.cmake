# vmx_setup: the launcher without its entry point: version comparison and switches (portable,
# fuzzed natively), the installer wrappers, the temporary folder and the update run.
# msi.dll is imported by ordinal, through an import library the build writes (msi-ordinals.def).
# VelmoraEX: the launcher (32-bit, manifest highestAvailable) carrying the x86 package of this tree
# and the x64 package of the 64-bit tree (VMX_PACKAGE_X64); built in the 32-bit tree only.
if(WIN32)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        # stdcall names carry their argument bytes on x86.
        set(vmx_msi_exports "MsiCloseHandle@4 @8 NONAME\nMsiDatabaseOpenViewW@12 @32 NONAME\n"
            "MsiGetProductInfoExW@24 @248 NONAME\nMsiOpenDatabaseW@12 @92 NONAME\n"
            "MsiRecordGetStringW@16 @118 NONAME\nMsiViewExecute@8 @159 NONAME\nMsiViewFetch@8 @160 NONAME\n")
    else()
        set(vmx_msi_exports "MsiCloseHandle @8 NONAME\nMsiDatabaseOpenViewW @32 NONAME\n"
            "MsiGetProductInfoExW @248 NONAME\nMsiOpenDatabaseW @92 NONAME\n"
            "MsiRecordGetStringW @118 NONAME\nMsiViewExecute @159 NONAME\nMsiViewFetch @160 NONAME\n")
    endif()
    string(JOIN "" vmx_msi_exports ${vmx_msi_exports})
    file(WRITE ${CMAKE_BINARY_DIR}/setup/msi-ordinals.def "LIBRARY msi.dll\nEXPORTS\n${vmx_msi_exports}")
    set(VMX_MSI_IMPORT ${CMAKE_BINARY_DIR}/setup/libvmx_msi_ordinals.a)
    add_custom_command(OUTPUT ${VMX_MSI_IMPORT}
        COMMAND ${VMX_MINGW_TRIPLE}-dlltool -k -d ${CMAKE_BINARY_DIR}/setup/msi-ordinals.def -l ${VMX_MSI_IMPORT}
        DEPENDS ${CMAKE_BINARY_DIR}/setup/msi-ordinals.def VERBATIM)
    add_custom_target(vmx_msi_import DEPENDS ${VMX_MSI_IMPORT})
endif()

vmx_library(vmx_setup
    PORTABLE
        setup/SetupVersion.cpp
        setup/SetupSwitches.cpp
    WIN
        setup/MsiDatabase.cpp
        setup/MsiView.cpp
        setup/MsiRecode.cpp
        setup/SetupTempFolder.cpp
        setup/Wow64Query.cpp
        setup/SetupLauncher.cpp
    DEPS vmx_framework
    WIN_LIBS ${VMX_MSI_IMPORT} shell32)
if(WIN32)
    add_dependencies(vmx_setup vmx_msi_import)
endif()

# vmx_setup_resources(<name> X86 <msi> X64 <msi>): the resource script of a module carrying the
# messages and these two packages (generated into the build folder as <name>.rc).
function(vmx_setup_resources name)
    cmake_parse_arguments(R "" "X86;X64" "" ${ARGN})
    set(VMX_PACKAGE_X86 ${R_X86})
    set(VMX_PACKAGE_X64 ${R_X64})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/setup/${name})
    configure_file(${VMX_ROOT}/setup/SetupPackages.rc.in ${CMAKE_BINARY_DIR}/setup/${name}/SetupPackages.rc @ONLY)
endfunction()

if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(vmx_sibling_x64 ${CMAKE_BINARY_DIR}/../win64/packages/VelmoraEX-x64.msi)
    if(EXISTS ${vmx_sibling_x64})
        get_filename_component(vmx_sibling_x64 ${vmx_sibling_x64} ABSOLUTE)
    else()
        set(vmx_sibling_x64 "")
    endif()
    set(VMX_PACKAGE_X64 "${vmx_sibling_x64}" CACHE FILEPATH
        "The x64 package VelmoraEX.exe carries (default: the one the 64-bit tree next to this one built)")
    if(VMX_PACKAGE_X64)
        vmx_setup_resources(launcher X86 ${VMX_PACKAGE} X64 ${VMX_PACKAGE_X64})
        add_executable(VelmoraEX WIN32 setup/VelmoraEXMain.cpp setup/VelmoraEX.rc)
        target_link_libraries(VelmoraEX PRIVATE vmx_setup)
        target_link_options(VelmoraEX PRIVATE -municode -mwindows)
        target_include_directories(VelmoraEX PRIVATE ${CMAKE_BINARY_DIR}/setup/launcher)
        set_source_files_properties(setup/VelmoraEX.rc PROPERTIES OBJECT_DEPENDS
            "${VMX_ROOT}/setup/VelmoraEX.manifest;${VMX_ROOT}/setup/SetupStrings.rc;${VMX_PACKAGE};${VMX_PACKAGE_X64}")
        add_dependencies(VelmoraEX vmx_package)
    else()
        message(STATUS "VelmoraEX.exe not built: no x64 package (set VMX_PACKAGE_X64)")
    endif()
endif()
