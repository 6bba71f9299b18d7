vmx_test(NAME test_ntfs KIND portable LIBS vmx_ntfs SOURCES
    tests/utility/disk/NtfsLayoutTest.cpp
    tests/utility/disk/NtfsRecordTest.cpp
    tests/utility/disk/NtfsClusterMapTest.cpp
    tests/utility/disk/NtfsUpCaseTest.cpp
    tests/utility/disk/NtfsIndexTest.cpp
    tests/utility/disk/NtfsBuilderTest.cpp)
vmx_test(NAME test_ntfs_checks KIND native LIBS vmx_ntfs TIMEOUT 600 SOURCES
    tests/utility/disk/NtfsUpCaseDataTest.cpp
    tests/utility/disk/NtfsChecksTest.cpp)
