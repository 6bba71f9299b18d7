# vmx_framework_ui: the Win32 class layer for threads and windows.
vmx_library(vmx_framework_ui
    WIN
        framework/WinThread.cpp
    WIN_LIBS user32)
