vmx_test(NAME test_ui_resources KIND win LIBS vmx_resources version gdi32 SOURCES
    tests/utility/ui/ResourcesTest.cpp)

# The sources hold no text that belongs in the message table (scans the source tree).
vmx_test(NAME test_message_sources KIND native SOURCES
    tests/utility/ui/MessageSourcesTest.cpp)
