# vmx_propertysheet: the settings sheet of one RAM disk with its pages, and the factory the
# status page opens it through.
vmx_library(vmx_propertysheet
    WIN
        utility/ui/VMUPropertySheet.cpp
        utility/ui/VMUSheetPage.cpp
        utility/ui/VMUPropertyWholePage.cpp
        utility/ui/VMUPropertyBackupPage.cpp
        utility/ui/VMUPropertyBrowserCachePage.cpp
        utility/ui/BrowserFacts.cpp
        utility/ui/VMUPropertyVlinkPage.cpp
        utility/ui/VlinkListCtrl.cpp
        utility/ui/VlinkAddDialog.cpp
        utility/ui/VMUPropertySheetFactory.cpp
    DEPS vmx_traywindow vmx_sequencer vmx_manager vmx_settings_files vmx_system vmx_framework_ui vmx_links
        vmx_junction vmx_tools_channel
    WIN_LIBS user32 comctl32 gdi32 shell32 ole32)
