vmx_test(NAME test_save_dialog KIND win LIBS vmx_savedialog vmx_resources SOURCES
    tests/utility/ui/SaveDlgTest.cpp)
