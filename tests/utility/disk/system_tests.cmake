vmx_test(NAME test_system_portable KIND portable LIBS vmx_system SOURCES
    tests/utility/disk/DriveLetterTest.cpp)
vmx_test(NAME test_system KIND win LIBS vmx_system SOURCES
    tests/utility/disk/SystemHelpersTest.cpp)
