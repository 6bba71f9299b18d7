# vmx_dll: libraries loaded at run time with the entry points they must offer (both programs).
vmx_library(vmx_dll
    WIN
        common/DllInterface.cpp)
