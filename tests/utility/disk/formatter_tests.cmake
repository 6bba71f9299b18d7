vmx_test(NAME test_formatter KIND portable SOURCES
    tests/utility/disk/FormatObjectTest.cpp)
