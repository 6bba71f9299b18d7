# vmx_links: the utility's side of the browser caches and virtual links: the disk-settings
# clean-up, the folder trees, and the three browsers' caches on the RAM disk (the setting's apply
# and undo included).
vmx_library(vmx_links
    WIN
        utility/links/OperateData.cpp
        utility/links/RemoveFolder.cpp
        utility/links/RemoveOperation.cpp
        utility/links/FolderTree.cpp
        utility/links/ShellFolder.cpp
        utility/links/BrowserIE.cpp
        utility/links/FirefoxProfileIni.cpp
        utility/links/BrowserFirefox.cpp
        utility/links/BrowserChrome.cpp
        utility/core/VelmoraEXCacheSettingDataApply.cpp
    DEPS vmx_browser_rules vmx_settings_files vmx_image vmx_system vmx_process vmx_junction
    WIN_LIBS advapi32 shell32)
