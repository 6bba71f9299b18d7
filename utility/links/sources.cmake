# vmx_links: the utility's side of the browser caches and virtual links; for now the
# disk-settings clean-up and the folder-tree removal.
vmx_library(vmx_links
    WIN
        utility/links/OperateData.cpp
        utility/links/RemoveFolder.cpp
        utility/links/RemoveOperation.cpp
    DEPS vmx_settings_files vmx_image vmx_system
    WIN_LIBS advapi32)
