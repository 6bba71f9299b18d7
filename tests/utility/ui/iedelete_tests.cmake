vmx_test(NAME test_iedelete_dialogs KIND win LIBS vmx_iedelete vmx_resources SOURCES
    tests/utility/ui/DeleteIECacheDlgTest.cpp)
if(WIN32)
    add_dependencies(test_iedelete_dialogs VelmoraEXTools)
endif()
