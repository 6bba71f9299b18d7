# vmx_traywindow: the utility's hidden main window with its tray icon, status polling and the
# end-of-session hold; the shield confirmation box, the position-reporting slider and the
# picture control with a transparent colour.
vmx_library(vmx_traywindow
    WIN
        utility/ui/TaskTray.cpp
        utility/ui/TrayPrompt.cpp
        utility/ui/ShieldMessageBox.cpp
        utility/ui/TrayToolCmdPrompt.cpp
        utility/ui/TrayVlinkCommands.cpp
        utility/ui/SliderCtrlEx.cpp
        utility/ui/TransparentBitmapStatic.cpp
        utility/ui/VMUTaskTrayWnd.cpp
    DEPS vmx_sequencer vmx_tasks vmx_manager vmx_tools_channel vmx_framework_ui
    WIN_LIBS shell32 user32 gdi32 comctl32)

# The windows the tray window opens (status sheet, settings sheet, save dialog) live in libraries
# that build on this one; static libraries may depend on each other both ways.
if(WIN32)
    target_link_libraries(vmx_traywindow PUBLIC vmx_statussheet vmx_propertysheet vmx_savedialog)
endif()
