# vmx_resources: the utility's compiled resources (message table, icon, menu, bitmaps,
# version). An OBJECT library so that the resource objects land in
# every program that links it (a static library would drop them: nothing references them).
# vmx_resources_library(<name> <version>): those resources with the version major.minor.patch.
function(vmx_resources_library name version)
    string(REPLACE "." ";" fields ${version})
    list(GET fields 0 major)
    list(GET fields 1 minor)
    list(GET fields 2 patch)
    # The dialog templates come one script per window family.
    add_library(${name} OBJECT
        utility/ui/Strings.rc
        utility/ui/Resources.rc
        utility/ui/Version.rc
        utility/ui/StatusDialogs.rc
        utility/ui/PropertyDialogs.rc
        utility/ui/SaveDialogs.rc
        utility/ui/IEDeleteDialogs.rc)
    target_compile_definitions(${name} PRIVATE
        VMX_VERSION_MAJOR=${major}
        VMX_VERSION_MINOR=${minor}
        VMX_VERSION_PATCH=${patch})
    target_include_directories(${name} PRIVATE ${VMX_ROOT}/utility/ui)
    target_link_libraries(${name} INTERFACE vmx_messages)
endfunction()

if(WIN32)
    vmx_resources_library(vmx_resources ${VMX_VERSION})
else()
    add_library(vmx_resources INTERFACE)
endif()
