# libFuzzer targets of the portable decoders (clang, native trees only). With VMX_FUZZ every
# library is compiled with the fuzzer's coverage and the sanitizers, and "all" holds only the
# fuzz targets and what they link.
if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VMX_FUZZ needs a native clang tree (-DCMAKE_CXX_COMPILER=clang++)")
endif()

set(VMX_FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

get_property(vmx_fuzz_others DIRECTORY ${VMX_ROOT} PROPERTY BUILDSYSTEM_TARGETS)
foreach(target IN LISTS vmx_fuzz_others)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        continue()
    endif()
    if(type STREQUAL "STATIC_LIBRARY")
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link ${VMX_FUZZ_SANITIZERS})
    endif()
    set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL TRUE)
endforeach()

# vmx_fuzz_target(<Name> <libraries...>): fuzz_<Name> from fuzz/<Name>Fuzz.cpp; its seeds are
# in fuzz/corpus/<Name>/ (scripts/fuzz runs it).
function(vmx_fuzz_target name)
    add_executable(fuzz_${name} ${VMX_ROOT}/fuzz/${name}Fuzz.cpp)
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer ${VMX_FUZZ_SANITIZERS})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer ${VMX_FUZZ_SANITIZERS})
    target_link_libraries(fuzz_${name} PRIVATE ${ARGN})
endfunction()

vmx_fuzz_target(DataParser vmx_common)
vmx_fuzz_target(DriverPipeFrame vmx_driver)
vmx_fuzz_target(DriverReply vmx_driver)
vmx_fuzz_target(StandinRequest vmx_standin_core)
vmx_fuzz_target(StandinVolumeKind vmx_standin_core)
vmx_fuzz_target(SettingsRules vmx_settings_files)
vmx_fuzz_target(VlinkSections vmx_settings_files)
vmx_fuzz_target(ListFile vmx_image)
vmx_fuzz_target(MountPointBuffer vmx_junction)
vmx_fuzz_target(ToolCommand vmx_tools_core vmx_tools_channel)
vmx_fuzz_target(ToolResult vmx_tools_channel)
vmx_fuzz_target(PreferenceLines vmx_browser_rules)
vmx_fuzz_target(FirefoxProfiles vmx_browser_rules)
vmx_fuzz_target(SetupVersion vmx_setup)
