# vmx_tools_core: the tools program without its entry point: switches and the command decoder
# (portable, fuzzed natively), the pipe exchange, the browsing-data jobs, the link procedures and
# their dispatch.
# VelmoraEXTools: the windowless program (GUI subsystem, manifest asInvoker).
vmx_library(vmx_tools_core
    PORTABLE
        tools/ToolSwitches.cpp
        tools/ToolCommandDecoder.cpp
    WIN
        tools/VlinkProcedures.cpp
        tools/LinkCommandDispatch.cpp
        tools/VelmoraToolCmdClient.cpp
        tools/ToolCommandExchange.cpp
        tools/UrlCacheCleaner.cpp
        tools/UrlHistoryCleaner.cpp
        tools/TypedUrlsCleaner.cpp
        tools/ToolsProgram.cpp
    DEPS vmx_common vmx_framework vmx_junction vmx_shell_fileops
    WIN_LIBS wininet ole32 shell32 advapi32)

if(WIN32)
    add_executable(VelmoraEXTools WIN32 tools/ToolsMain.cpp tools/VelmoraEXTools.rc)
    target_link_libraries(VelmoraEXTools PRIVATE vmx_tools_core)
    target_link_options(VelmoraEXTools PRIVATE -municode -mwindows)
    set_source_files_properties(tools/VelmoraEXTools.rc PROPERTIES
        OBJECT_DEPENDS ${VMX_ROOT}/tools/VelmoraEXTools.manifest)
endif()
