vmx_test(NAME test_status_sheet KIND win LIBS vmx_statussheet vmx_resources SOURCES
    tests/utility/ui/StatusSheetTest.cpp)
if(TARGET test_status_sheet)
    # Option.ini of the test prefix's data folder is changed and put back.
    set_property(TEST test_status_sheet APPEND PROPERTY RESOURCE_LOCK vmx_data_folder)
endif()
