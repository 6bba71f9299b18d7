vmx_test(NAME test_driver_frame KIND portable LIBS vmx_driver SOURCES
    tests/utility/disk/DriverPipeFrameTest.cpp)
vmx_test(NAME test_driver_channel KIND win LIBS vmx_driver SOURCES
    tests/utility/disk/DriverChannelTest.cpp)
