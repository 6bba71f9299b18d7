vmx_library(vmx_common
    PORTABLE
        common/DataConverter.cpp
        common/DataParser.cpp)
