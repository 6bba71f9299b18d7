# The windows end to end with the real stand-in: clicks on the status and settings sheets, and
# the save dialog at a shutdown.
if(TARGET VelmoraEXStandin AND TARGET vmx_statussheet AND TARGET vmx_propertysheet AND TARGET vmx_savedialog)
    vmx_test(NAME test_ui_end_to_end KIND win TIMEOUT 400
        LIBS vmx_traywindow vmx_resources vmx_standin_core vmx_settings_files
        SOURCES tests/utility/ui/WindowsEndToEndTest.cpp)
    if(TARGET test_ui_end_to_end)
        add_dependencies(test_ui_end_to_end VelmoraEXStandin)
    endif()
endif()

# Pictures of the windows for people to look at (scripts/ui-screenshots runs it).
if(WIN32 AND TARGET test_ui_end_to_end)
    add_executable(vmx_ui_screenshots tests/utility/ui/UiScreenshots.cpp)
    target_include_directories(vmx_ui_screenshots PRIVATE ${VMX_ROOT}/tests)
    target_link_libraries(vmx_ui_screenshots PRIVATE vmx_traywindow vmx_resources vmx_standin_core vmx_settings_files)
    target_link_options(vmx_ui_screenshots PRIVATE -municode)
    add_dependencies(vmx_ui_screenshots VelmoraEXStandin)
endif()
