# vmx_tools_channel: the utility's side of the tools program: command payloads and what a
# result record means (portable, fuzzed natively), the command server with its elevated retry,
# the three link operations and the user-context launches for browsing-data deletion.
vmx_library(vmx_tools_channel
    PORTABLE
        utility/tools_channel/ToolCommandBuilder.cpp
        utility/tools_channel/ToolResultDecision.cpp
    WIN
        utility/tools_channel/ElevatedStart.cpp
        utility/tools_channel/VelmoraToolCmdServer.cpp
        utility/tools_channel/ToolLinkCommands.cpp
        utility/tools_channel/UserContextLaunch.cpp
    DEPS vmx_common vmx_system vmx_messages
    WIN_LIBS advapi32 shell32)
