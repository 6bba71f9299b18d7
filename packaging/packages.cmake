# The installer packages, built with wixl from packaging/VelmoraEX.wxs: each tree packages its own
# programs (x86 in the 32-bit tree, x64 in the 64-bit one) as packages/VelmoraEX-<arch>.msi.
# Their ProductVersion is VMX_VERSION, the version the utility's version resource carries.
if(WIN32)
    find_program(VMX_WIXL wixl REQUIRED)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(VMX_PACKAGE_ARCH x64)
    else()
        set(VMX_PACKAGE_ARCH x86)
    endif()

    # vmx_package(<target> [ALL] ARCH x86|x64 VERSION <version> OUTPUT <msi> UTILITY <target> TOOLS <target>)
    function(vmx_package target)
        cmake_parse_arguments(P "ALL" "ARCH;VERSION;OUTPUT;UTILITY;TOOLS" "" ${ARGN})
        # wixl takes the files' paths relative to its working folder.
        add_custom_command(OUTPUT ${P_OUTPUT}
            COMMAND ${VMX_WIXL} -a ${P_ARCH} -D Arch=${P_ARCH} -D Version=${P_VERSION}
                    -D Utility=$<PATH:RELATIVE_PATH,$<TARGET_FILE:${P_UTILITY}>,${CMAKE_BINARY_DIR}>
                    -D Tools=$<PATH:RELATIVE_PATH,$<TARGET_FILE:${P_TOOLS}>,${CMAKE_BINARY_DIR}>
                    -o ${P_OUTPUT} ${VMX_ROOT}/packaging/VelmoraEX.wxs
            WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
            DEPENDS ${VMX_ROOT}/packaging/VelmoraEX.wxs ${P_UTILITY} ${P_TOOLS}
            COMMENT "Packaging ${P_OUTPUT}" VERBATIM)
        if(P_ALL)
            add_custom_target(${target} ALL DEPENDS ${P_OUTPUT})
        else()
            add_custom_target(${target} DEPENDS ${P_OUTPUT})
        endif()
    endfunction()

    set(VMX_PACKAGE ${CMAKE_BINARY_DIR}/packages/VelmoraEX-${VMX_PACKAGE_ARCH}.msi)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
    vmx_package(vmx_package ALL ARCH ${VMX_PACKAGE_ARCH} VERSION ${VMX_VERSION} OUTPUT ${VMX_PACKAGE}
                UTILITY VelmoraEXUtility TOOLS VelmoraEXTools)
endif()
