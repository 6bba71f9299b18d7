vmx_test(NAME test_property_sheet KIND win LIBS vmx_propertysheet vmx_resources SOURCES
    tests/utility/ui/PropertySheetTest.cpp)
