vmx_test(NAME test_status_sheet KIND win LIBS vmx_statussheet vmx_resources SOURCES
    tests/utility/ui/StatusSheetTest.cpp)
