vmx_test(NAME test_ui_resources KIND win LIBS vmx_resources version gdi32 SOURCES
    tests/utility/ui/ResourcesTest.cpp)
