vmx_test(NAME test_links_cleanup KIND win LIBS vmx_links SOURCES
    tests/utility/links/RemoveOperationTest.cpp
    tests/utility/links/RemoveFolderTest.cpp)
