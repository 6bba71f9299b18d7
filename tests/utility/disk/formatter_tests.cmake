vmx_test(NAME test_formatter KIND portable LIBS vmx_format SOURCES
    tests/utility/disk/FormatObjectTest.cpp)
