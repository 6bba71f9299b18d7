vmx_test(NAME test_common KIND portable LIBS vmx_common SOURCES
    tests/common/DataConverterTest.cpp)
