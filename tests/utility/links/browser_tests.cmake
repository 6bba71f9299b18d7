vmx_test(NAME test_browser_rules KIND portable LIBS vmx_browser_rules SOURCES
    tests/utility/links/PreferenceLinesTest.cpp)
