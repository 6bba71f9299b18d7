# vmx_iedelete: the browsing-data deletion dialogs and the tools-program runs behind them.
vmx_library(vmx_iedelete
    WIN
        utility/ui/BrowsingDataJobs.cpp
        utility/ui/DeleteIECacheDlg.cpp
        utility/ui/DeleteIECacheProgressDlg.cpp
    DEPS vmx_framework_ui vmx_tools_channel vmx_settings_files vmx_messages vmx_system
    WIN_LIBS comctl32 user32)
