# vmx_savedialog: the save progress dialog run by the tray window while Windows shuts down.
vmx_library(vmx_savedialog
    WIN
        utility/ui/SaveDlg.cpp
    DEPS vmx_traywindow vmx_driver vmx_system vmx_manager vmx_framework_ui
    WIN_LIBS user32 comctl32)
