# The application object, and the real program under Wine with the real stand-in.
if(TARGET VelmoraEXUtility AND TARGET VelmoraEXStandin)
    vmx_test(NAME test_application KIND win TIMEOUT 300
        LIBS vmx_application vmx_resources vmx_standin_core vmx_settings_files
        SOURCES tests/utility/core/ApplicationTest.cpp)
    if(TARGET test_application)
        add_dependencies(test_application VelmoraEXUtility VelmoraEXStandin)
    endif()
endif()
