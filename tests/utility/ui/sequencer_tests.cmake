vmx_test(NAME test_sequencer KIND win LIBS vmx_sequencer vmx_resources SOURCES
    tests/utility/ui/SequencerTest.cpp)
# The enable and delete chains with links, every task executed against the real stand-in and
# the tools probe.
if(TARGET VelmoraEXStandin AND TARGET VelmoraEXToolsProbe)
    vmx_test(NAME test_sequencer_standin KIND win TIMEOUT 300
        LIBS vmx_sequencer vmx_tools_channel vmx_resources vmx_standin_core
        SOURCES tests/utility/ui/SequencerStandinTest.cpp)
    if(TARGET test_sequencer_standin)
        add_dependencies(test_sequencer_standin VelmoraEXStandin VelmoraEXToolsProbe)
    endif()
endif()
