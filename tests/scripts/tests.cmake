# The setup command's decisions against stand-in package tools (once, in the plain native tree).
if(NOT WIN32 AND NOT VMX_SANITIZE)
    add_test(NAME test_setup COMMAND bash ${VMX_ROOT}/tests/scripts/SetupTest.sh
             ${VMX_RESULTS_DIR}/test_setup.xml)
    set_tests_properties(test_setup PROPERTIES TIMEOUT 120)
endif()
