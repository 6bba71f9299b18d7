# The launcher's version comparison and switches (portable), and the launcher end to end under
# Wine's installer (64-bit tree): it reads the launcher's packages from two resource modules laid
# out as VelmoraEX.exe, one with packages of this version and one with the next version (the
# utility rebuilt with that version resource, so that an update visibly replaces it). The x86
# packages of this tree carry its 64-bit programs: they stand for the other resource only.
vmx_test(NAME test_setup_version KIND portable LIBS vmx_setup SOURCES tests/setup/SetupVersionTest.cpp)

if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REPLACE "." ";" vmx_fields ${VMX_VERSION})
    list(GET vmx_fields 2 vmx_patch)
    math(EXPR vmx_patch "${vmx_patch} + 1")
    list(GET vmx_fields 0 vmx_major)
    list(GET vmx_fields 1 vmx_minor)
    set(vmx_next_version ${vmx_major}.${vmx_minor}.${vmx_patch})

    vmx_resources_library(vmx_resources_next ${vmx_next_version})
    add_executable(VelmoraEXUtilityNext WIN32 utility/core/VelmoraEXUtilityMain.cpp utility/core/VelmoraEXUtility.rc)
    target_link_libraries(VelmoraEXUtilityNext PRIVATE vmx_application vmx_resources_next)
    target_link_options(VelmoraEXUtilityNext PRIVATE -municode -mwindows)
    set_target_properties(VelmoraEXUtilityNext PROPERTIES OUTPUT_NAME VelmoraEXUtility
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/setup/next-programs)

    set(vmx_test_packages ${CMAKE_BINARY_DIR}/setup/test-packages)
    file(MAKE_DIRECTORY ${vmx_test_packages})
    vmx_package(vmx_test_package_x86 ARCH x86 VERSION ${VMX_VERSION} OUTPUT ${vmx_test_packages}/VelmoraEX-x86.msi
                UTILITY VelmoraEXUtility TOOLS VelmoraEXTools)
    vmx_package(vmx_test_package_next_x64 ARCH x64 VERSION ${vmx_next_version}
                OUTPUT ${vmx_test_packages}/VelmoraEX-next-x64.msi UTILITY VelmoraEXUtilityNext TOOLS VelmoraEXTools)

    foreach(set IN ITEMS Current Next)
        if(set STREQUAL Current)
            vmx_setup_resources(${set} X86 ${vmx_test_packages}/VelmoraEX-x86.msi X64 ${VMX_PACKAGE})
        else()
            vmx_setup_resources(${set} X86 ${vmx_test_packages}/VelmoraEX-x86.msi
                                X64 ${vmx_test_packages}/VelmoraEX-next-x64.msi)
        endif()
        add_library(VelmoraEXSetup${set} MODULE tests/setup/SetupModule.rc)
        set_target_properties(VelmoraEXSetup${set} PROPERTIES PREFIX "" LINKER_LANGUAGE CXX)
        target_include_directories(VelmoraEXSetup${set} PRIVATE ${CMAKE_BINARY_DIR}/setup/${set})
        add_dependencies(VelmoraEXSetup${set} vmx_package vmx_test_package_x86 vmx_test_package_next_x64)
    endforeach()
    set_source_files_properties(tests/setup/SetupModule.rc PROPERTIES OBJECT_DEPENDS
        "${VMX_PACKAGE};${vmx_test_packages}/VelmoraEX-x86.msi;${vmx_test_packages}/VelmoraEX-next-x64.msi")

    vmx_test(NAME test_setup_launcher KIND win TIMEOUT 240 LIBS vmx_setup version SOURCES
        tests/setup/SetupLauncherTest.cpp)
    target_compile_definitions(test_setup_launcher PRIVATE VMX_SETUP_VERSION="${VMX_VERSION}"
        VMX_SETUP_NEXT_VERSION="${vmx_next_version}")
    add_dependencies(test_setup_launcher VelmoraEXSetupCurrent VelmoraEXSetupNext)
endif()
