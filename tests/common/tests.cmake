vmx_test(NAME test_common KIND portable LIBS vmx_common SOURCES
    tests/common/DataConverterTest.cpp
    tests/common/ToolChannelTest.cpp)

# The pipe framework: threads of the test and the real tools program as a peer.
vmx_test(NAME test_pipe_command KIND win TIMEOUT 120 LIBS vmx_common SOURCES
    tests/common/PipeCommandTest.cpp)
if(TARGET test_pipe_command)
    add_dependencies(test_pipe_command VelmoraEXTools)
endif()
