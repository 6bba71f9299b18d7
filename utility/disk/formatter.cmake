list(APPEND VMX_PORTABLE_SOURCES
    utility/disk/FormatObject.cpp)
