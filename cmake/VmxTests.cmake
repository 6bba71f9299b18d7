# GoogleTest from Debian's sources, built once per tree.
set(VMX_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${VMX_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# vmx_test(NAME <name> KIND portable|win SOURCES <files...> LIBS <libraries...> [TIMEOUT <s>])
#   portable: built and run in every tree (natively, and under Wine in the Windows trees);
#   win:      built and run only in the Windows trees, under Wine;
#   native:   built and run only in the native trees (checks that drive Linux tools).
# Each run writes a GoogleTest XML report that the test command sums up.
function(vmx_test)
    cmake_parse_arguments(T "" "NAME;KIND;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(T_KIND STREQUAL "win" AND NOT WIN32)
        return()
    endif()
    if(T_KIND STREQUAL "native" AND WIN32)
        return()
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest_main)
    target_include_directories(${T_NAME} PRIVATE ${VMX_ROOT}/tests)
    if(WIN32)
        set(report "Z:${VMX_RESULTS_DIR}/${T_NAME}.xml")
    else()
        set(report "${VMX_RESULTS_DIR}/${T_NAME}.xml")
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_output=xml:${report}
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    # 77: wine-run found no way to run this architecture here.
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} SKIP_RETURN_CODE 77
        ENVIRONMENT "VMX_ROOT=${VMX_ROOT};VMX_BUILD_DIR=${CMAKE_BINARY_DIR}")
    if(T_KIND STREQUAL "win")
        # Windows tests share the prefix's registry, data folder and default driver channel:
        # they run one at a time (portable and native suites still run beside them).
        set_property(TEST ${T_NAME} APPEND PROPERTY RESOURCE_LOCK vmx_wine_state)
    endif()
endfunction()
