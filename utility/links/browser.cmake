# vmx_browser_rules: the Windows-free rules of the browser caches: Firefox's preference lines
# and Profiles.ini, and UTF-8 text.
vmx_library(vmx_browser_rules
    PORTABLE
        utility/links/Utf8Text.cpp
        utility/links/PreferenceLines.cpp
        utility/links/FirefoxProfileRules.cpp)
