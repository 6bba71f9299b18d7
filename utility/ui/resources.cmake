# vmx_resources: the utility's compiled resources (message table, icon, menu, bitmaps,
# version). An OBJECT library so that the resource objects land in
# every program that links it (a static library would drop them: nothing references them).
if(WIN32)
    # The dialog templates come one script per window family.
    add_library(vmx_resources OBJECT
        utility/ui/Strings.rc
        utility/ui/Resources.rc
        utility/ui/Version.rc
        utility/ui/StatusDialogs.rc
        utility/ui/PropertyDialogs.rc
        utility/ui/SaveDialogs.rc
        utility/ui/IEDeleteDialogs.rc)
    target_compile_definitions(vmx_resources PRIVATE
        VMX_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
        VMX_VERSION_MINOR=${PROJECT_VERSION_MINOR}
        VMX_VERSION_PATCH=${PROJECT_VERSION_PATCH})
    target_include_directories(vmx_resources PRIVATE ${VMX_ROOT}/utility/ui)
    target_link_libraries(vmx_resources INTERFACE vmx_messages)
else()
    add_library(vmx_resources INTERFACE)
endif()
