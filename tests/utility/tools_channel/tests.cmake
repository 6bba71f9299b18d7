# The utility's side of the tools channel against real tools processes over the real pipe.
vmx_test(NAME test_tool_link_commands KIND win TIMEOUT 300
    LIBS vmx_tools_channel vmx_resources
    SOURCES tests/utility/tools_channel/ToolLinkCommandsTest.cpp)
if(TARGET test_tool_link_commands)
    add_dependencies(test_tool_link_commands VelmoraEXTools VelmoraEXToolsProbe VelmoraEXBareStart)
endif()
