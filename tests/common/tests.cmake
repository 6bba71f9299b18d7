vmx_test(NAME test_common KIND portable LIBS vmx_common SOURCES
    tests/common/DataConverterTest.cpp
    tests/common/ToolChannelTest.cpp)

# The pipe framework between threads of the test.
vmx_test(NAME test_pipe_command KIND win TIMEOUT 120 LIBS vmx_common SOURCES
    tests/common/PipeCommandTest.cpp)
vmx_test(NAME test_junction KIND portable LIBS vmx_junction SOURCES
    tests/common/MountPointBufferTest.cpp)
vmx_test(NAME test_junction_win KIND win LIBS vmx_junction vmx_framework SOURCES
    tests/common/JunctionTest.cpp)
