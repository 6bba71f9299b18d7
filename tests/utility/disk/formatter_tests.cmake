vmx_test(NAME test_formatter KIND portable LIBS vmx_format SOURCES
    tests/utility/disk/FormatObjectTest.cpp
    tests/utility/disk/FatGeometryTest.cpp
    tests/utility/disk/FormatterTest.cpp)
vmx_test(NAME test_formatter_checks KIND native LIBS vmx_format TIMEOUT 600 SOURCES
    tests/utility/disk/FormatterChecksTest.cpp)
vmx_test(NAME test_formatter_fuzz KIND native LIBS vmx_format SOURCES
    tests/utility/disk/FatGeometryFuzzTest.cpp)
