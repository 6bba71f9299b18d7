vmx_library(vmx_settings_model
    PORTABLE
        utility/core/VelmoraEXCacheSettingData.cpp
        utility/core/VelmoraEXPropertyData.cpp)

vmx_library(vmx_settings_files
    PORTABLE
        utility/core/SettingsRules.cpp
        utility/core/VlinkPaths.cpp
    WIN
        utility/core/Profile.cpp
        utility/core/SettingsFile.cpp
        utility/core/SettingsPaths.cpp
        utility/core/LoadSettings.cpp
        utility/core/PendingSettings.cpp
    DEPS vmx_settings_model vmx_system vmx_framework
    WIN_LIBS advapi32 shell32 ole32)
