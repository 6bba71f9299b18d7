# vmx_statussheet: the status sheet with its disk list and version page, and the option dialog.
vmx_library(vmx_statussheet
    WIN
        utility/ui/VelmoraDiskListCtrl.cpp
        utility/ui/VMUStatusWholePage.cpp
        utility/ui/VMUStatusAboutPage.cpp
        utility/ui/VMUStatusSheet.cpp
        utility/ui/OptionDlg.cpp
    DEPS vmx_traywindow vmx_framework_ui vmx_sequencer vmx_manager vmx_junction vmx_links vmx_iedelete
    WIN_LIBS comctl32 shell32 user32 gdi32)
