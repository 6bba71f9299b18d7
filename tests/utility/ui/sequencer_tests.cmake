# The chains with scripted results, and with links every task for real against the driver
# stand-in and the tools probe.
vmx_test(NAME test_sequencer KIND win TIMEOUT 300
    LIBS vmx_sequencer vmx_tools_channel vmx_resources vmx_standin_core SOURCES
    tests/utility/ui/SequencerTest.cpp)
if(TARGET test_sequencer)
    add_dependencies(test_sequencer VelmoraEXStandin VelmoraEXToolsProbe)
endif()
