# vmx_common: what the utility and the tools program share: the message builder and reader,
# the tools channel's messages and result records (portable), and the pipe framework.
vmx_library(vmx_common
    PORTABLE
        common/DataConverter.cpp
        common/DataParser.cpp
        common/ToolChannel.cpp
        common/ToolResultRecords.cpp
    WIN
        common/PipeCommand.cpp
        common/PipeSecurity.cpp
        common/PipeCommandServer.cpp
        common/ProcessPipeCmdServer.cpp
        common/PipeCommandClient.cpp
    WIN_LIBS advapi32)
