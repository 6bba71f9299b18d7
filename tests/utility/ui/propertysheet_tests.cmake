# The settings sheet's pages. The program sits in a folder of its own with a VelmoraEXTools.exe
# built for it (junctions in the registry store the test shares), which the virtual-link page
# starts as the utility starts the real one beside it, and a copy of the driver stand-in.
vmx_test(NAME test_property_sheet KIND win LIBS vmx_propertysheet vmx_statussheet vmx_standin_core vmx_resources
    SOURCES tests/utility/ui/PropertySheetTest.cpp)

if(WIN32)
    set(vmx_property_sheet_dir ${CMAKE_BINARY_DIR}/property-sheet)
    set_target_properties(test_property_sheet PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${vmx_property_sheet_dir})
    add_executable(VelmoraEXToolsStoredJunctions WIN32 tests/tools/ToolsStoredJunctionsMain.cpp)
    target_link_libraries(VelmoraEXToolsStoredJunctions PRIVATE vmx_tools_core)
    target_link_options(VelmoraEXToolsStoredJunctions PRIVATE -municode -mwindows)
    set_target_properties(VelmoraEXToolsStoredJunctions PROPERTIES
        OUTPUT_NAME VelmoraEXTools RUNTIME_OUTPUT_DIRECTORY ${vmx_property_sheet_dir})
    add_custom_command(OUTPUT ${vmx_property_sheet_dir}/VelmoraEXStandin.exe
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:VelmoraEXStandin> ${vmx_property_sheet_dir}
        DEPENDS VelmoraEXStandin)
    add_custom_target(vmx_property_sheet_standin DEPENDS ${vmx_property_sheet_dir}/VelmoraEXStandin.exe)
    add_dependencies(test_property_sheet VelmoraEXToolsStoredJunctions vmx_property_sheet_standin)
endif()
