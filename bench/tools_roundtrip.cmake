# VelmoraEXBareStart: a program that does nothing (the yardstick, also a peer that never
# connects in the tests). VelmoraEXToolsBench: one tools command round trip next to a bare start
# (bench/tools-roundtrip runs it).
if(WIN32)
    add_executable(VelmoraEXBareStart WIN32 bench/BareStartMain.cpp)
    target_link_options(VelmoraEXBareStart PRIVATE -municode -mwindows)
    add_executable(VelmoraEXToolsBench bench/ToolsRoundTrip.cpp)
    target_link_libraries(VelmoraEXToolsBench PRIVATE vmx_tools_channel)
    target_link_options(VelmoraEXToolsBench PRIVATE -municode)
    add_dependencies(VelmoraEXToolsBench VelmoraEXTools VelmoraEXBareStart)
endif()
