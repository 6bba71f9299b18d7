vmx_test(NAME test_browser_rules KIND portable LIBS vmx_browser_rules SOURCES
    tests/utility/links/PreferenceLinesTest.cpp)
vmx_test(NAME test_browser_caches KIND win LIBS vmx_links SOURCES
    tests/utility/links/BrowserIETest.cpp
    tests/utility/links/BrowserFirefoxTest.cpp
    tests/utility/links/BrowserChromeTest.cpp
    tests/utility/core/CacheSettingApplyTest.cpp)
