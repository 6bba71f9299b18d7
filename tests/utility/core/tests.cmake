vmx_test(NAME test_settings_model KIND portable LIBS vmx_settings_model SOURCES
    tests/utility/core/SettingsModelTest.cpp)

vmx_test(NAME test_settings_rules KIND portable LIBS vmx_settings_files SOURCES
    tests/utility/core/SettingsRulesTest.cpp
    tests/utility/core/SettingsRulesFuzzTest.cpp
    tests/utility/core/VlinkPathsTest.cpp)

vmx_test(NAME test_settings_files KIND win LIBS vmx_settings_files SOURCES
    tests/utility/core/ProfileTest.cpp
    tests/utility/core/SettingsFileTest.cpp
    tests/utility/core/SettingsPathsTest.cpp)

vmx_test(NAME test_load_settings KIND win LIBS vmx_settings_files SOURCES
    tests/utility/core/LoadSettingsTest.cpp)
