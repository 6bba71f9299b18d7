# vmx_framework_ui: the Win32 class layer for threads, windows, dialogs, property sheets,
# list controls and mutexes.
vmx_library(vmx_framework_ui
    WIN
        framework/WinThread.cpp
        framework/WinApp.cpp
        framework/Wnd.cpp
        framework/Dialog.cpp
        framework/PropertyPage.cpp
        framework/PropertySheet.cpp
        framework/ListCtrl.cpp
        framework/Mutex.cpp
        framework/SingleLock.cpp
    WIN_LIBS user32 gdi32 comctl32)
