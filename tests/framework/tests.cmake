vmx_test(NAME test_framework_file KIND portable LIBS vmx_framework SOURCES
    tests/framework/ClockTest.cpp
    tests/framework/FileTest.cpp
    tests/framework/FileSystemTest.cpp)
vmx_test(NAME test_framework_file_win KIND win LIBS vmx_framework SOURCES
    tests/framework/FileWinTest.cpp
    tests/framework/OwnersTest.cpp)
