vmx_test(NAME test_sequencer KIND win LIBS vmx_sequencer SOURCES
    tests/utility/ui/SequencerTest.cpp)
