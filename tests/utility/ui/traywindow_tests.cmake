vmx_test(NAME test_tray_window KIND win LIBS vmx_traywindow vmx_resources SOURCES
    tests/utility/ui/TrayWindowTest.cpp)
if(TARGET test_tray_window)
    # Option.ini of the test prefix's data folder is changed and put back.
    set_property(TEST test_tray_window APPEND PROPERTY RESOURCE_LOCK vmx_data_folder)
endif()
