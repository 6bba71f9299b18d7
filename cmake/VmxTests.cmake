# GoogleTest from Debian's sources, built once per tree.
set(VMX_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${VMX_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Test code builds at -O1 (the code under test keeps the tree's optimisation); under the
# sanitizers only the code under test is instrumented. Both roughly halve the tests' build.
set(VMX_TEST_COMPILE_OPTIONS -O1)
if(VMX_SANITIZE)
    list(APPEND VMX_TEST_COMPILE_OPTIONS -fno-sanitize=all)
endif()
target_compile_options(gtest PRIVATE ${VMX_TEST_COMPILE_OPTIONS})
target_compile_options(gtest_main PRIVATE ${VMX_TEST_COMPILE_OPTIONS})

# One precompiled header of GoogleTest and the standard library for every test program, and
# one with <windows.h> added for the Windows-only ones: built once per tree, reused by all.
function(vmx_test_pch name)
    add_library(${name} STATIC ${VMX_ROOT}/cmake/TestPch.cpp)
    target_link_libraries(${name} PUBLIC gtest)
    target_include_directories(${name} PRIVATE ${VMX_ROOT}/tests)
    target_compile_options(${name} PRIVATE ${VMX_TEST_COMPILE_OPTIONS})
    target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <algorithm> <cstdint> <cstring>
        <functional> <map> <memory> <string> <vector> ${ARGN})
endfunction()
vmx_test_pch(vmx_test_pch)
if(WIN32)
    vmx_test_pch(vmx_test_pch_win <windows.h>)
endif()

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
    target_compile_options(${T_NAME} PRIVATE ${VMX_TEST_COMPILE_OPTIONS})
    if(T_KIND STREQUAL "win")
        target_precompile_headers(${T_NAME} REUSE_FROM vmx_test_pch_win)
    else()
        target_precompile_headers(${T_NAME} REUSE_FROM vmx_test_pch)
    endif()
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
    if(WIN32)
        # Each Windows test program runs in a fresh copy of the test prefix with a wineserver
        # and a display of its own, so suites run side by side and start from a clean state.
        set_property(TEST ${T_NAME} APPEND PROPERTY ENVIRONMENT "VMX_WINE_ISOLATE=${CMAKE_BINARY_DIR}/prefixes")
    endif()
endfunction()
