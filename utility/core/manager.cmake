# vmx_messages: the message-table loader and its placeholder formatter (the table itself is
# vmx_resources, linked into each program).
vmx_library(vmx_messages
    PORTABLE
        utility/core/MessageText.cpp
    WIN
        utility/core/MessageTextLoad.cpp
    WIN_LIBS user32)

# vmx_manager: the RAM-disk manager. vmx_tasks: the worker thread, its tasks and their texts.
vmx_library(vmx_manager
    WIN
        utility/core/PhysicalMemory.cpp
        utility/core/VelmoraEXManager.cpp
    DEPS vmx_settings_files vmx_driver vmx_links vmx_system
    WIN_LIBS advapi32)

vmx_library(vmx_tasks
    WIN
        utility/core/CaughtError.cpp
        utility/core/TaskMessages.cpp
        utility/core/VMUThread.cpp
        utility/core/VMUThreadTaskMountEX.cpp
        utility/core/VMUThreadTaskUnmountEX.cpp
        utility/core/VMUThreadTaskGetStatusEX.cpp
        utility/core/VMUThreadTaskSettingEx.cpp
        utility/core/VMUThreadTaskSettingDeleteEx.cpp
        utility/core/VMUThreadTaskBrowserSettingEX.cpp
        utility/core/VMUThreadTaskRAMFolderEX.cpp
        utility/core/VMUThreadTaskVlinkEX.cpp
    DEPS vmx_manager vmx_messages vmx_framework_ui vmx_settings_files vmx_driver vmx_image vmx_links vmx_system
    WIN_LIBS ole32 user32)
