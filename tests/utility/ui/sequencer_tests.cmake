vmx_test(NAME test_sequencer KIND win LIBS vmx_sequencer vmx_resources SOURCES
    tests/utility/ui/SequencerTest.cpp)
