vmx_test(NAME test_tray_window KIND win LIBS vmx_traywindow vmx_resources SOURCES
    tests/utility/ui/TrayWindowTest.cpp)
