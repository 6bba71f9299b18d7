vmx_test(NAME test_process_rules KIND portable LIBS vmx_process SOURCES
    tests/utility/disk/ProcessPathTest.cpp)
vmx_test(NAME test_process KIND win LIBS vmx_process SOURCES
    tests/utility/disk/ProcessMgrTest.cpp)
