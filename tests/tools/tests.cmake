# The tools program's decoders and switch table (portable), its jobs and start-up as the real
# program under Wine, and the probe: the real program with a recording command handler.
vmx_test(NAME test_tools_decoder KIND portable LIBS vmx_tools_core vmx_tools_channel SOURCES
    tests/tools/ToolCommandDecoderTest.cpp)

vmx_test(NAME test_tools_jobs KIND win TIMEOUT 180 LIBS vmx_tools_core SOURCES
    tests/tools/ToolsJobsTest.cpp)

if(WIN32)
    add_executable(VelmoraEXToolsProbe WIN32 tests/tools/ToolsProbeMain.cpp)
    target_link_libraries(VelmoraEXToolsProbe PRIVATE vmx_tools_core)
    target_link_options(VelmoraEXToolsProbe PRIVATE -municode -mwindows)
    add_dependencies(test_tools_jobs VelmoraEXTools)
endif()

vmx_test(NAME test_vlink_procedures KIND win LIBS vmx_tools_core SOURCES
    tests/tools/VlinkProceduresTest.cpp)
