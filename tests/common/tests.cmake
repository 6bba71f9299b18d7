vmx_test(NAME test_common KIND portable LIBS vmx_common SOURCES
    tests/common/DataConverterTest.cpp
    tests/common/ToolChannelTest.cpp)

# The pipe framework between threads of the test.
vmx_test(NAME test_pipe_command KIND win TIMEOUT 120 LIBS vmx_common SOURCES
    tests/common/PipeCommandTest.cpp)
