# vmx_sequencer: the chains of worker tasks that enable, disable, delete and reconfigure disks.
vmx_library(vmx_sequencer
    WIN
        utility/ui/DiskSequencer.cpp
        utility/ui/SequencerMessages.cpp
    DEPS vmx_manager vmx_tasks vmx_settings_files vmx_driver)
