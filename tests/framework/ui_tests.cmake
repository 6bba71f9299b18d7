vmx_test(NAME test_framework_ui KIND win LIBS vmx_framework_ui TIMEOUT 120 SOURCES
    tests/framework/WndTest.cpp
    tests/framework/DialogTest.cpp
    tests/framework/PropertySheetTest.cpp
    tests/framework/ListCtrlTest.cpp
    tests/framework/MutexTest.cpp
    tests/framework/UiTest.rc)
