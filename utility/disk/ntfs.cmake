list(APPEND VMX_PORTABLE_SOURCES
    utility/disk/NtfsBuilder.cpp)
