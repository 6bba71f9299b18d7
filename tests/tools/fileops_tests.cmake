vmx_test(NAME test_shell_fileops KIND win LIBS vmx_shell_fileops vmx_framework SOURCES
    tests/tools/ShellFileOperationsTest.cpp)
