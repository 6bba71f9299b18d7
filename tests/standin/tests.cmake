vmx_test(NAME test_standin_decoder KIND portable LIBS vmx_standin_core SOURCES
    tests/standin/StandinRequestTest.cpp
    tests/standin/StandinOptionsTest.cpp
    tests/standin/StandinBlockTrackerTest.cpp
    tests/standin/StandinChangeScanTest.cpp
    tests/standin/StandinMountScriptsTest.cpp
    tests/standin/StandinVolumeKindTest.cpp)

# The real program as a child process, driven through the utility's channel.
vmx_test(NAME test_standin KIND win TIMEOUT 180
    LIBS vmx_standin_core vmx_driver vmx_image vmx_settings_files vmx_browser_rules
    SOURCES tests/standin/StandinTest.cpp)
if(TARGET test_standin)
    add_dependencies(test_standin VelmoraEXStandin)
endif()
