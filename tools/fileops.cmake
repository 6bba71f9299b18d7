# vmx_shell_fileops: silent folder copy, rename and delete through the shell (tools program).
vmx_library(vmx_shell_fileops
    WIN
        tools/SHCreateItemFromParsingNameInterface.cpp
        tools/FileOperationProgressSink.cpp
        tools/ShellFileOperations.cpp
    DEPS vmx_dll
    WIN_LIBS shell32 shlwapi ole32 uuid)
