# vmx_junction: directory junctions (both programs): the reparse buffer everywhere, the
# primitives and their file-system seam on Windows.
vmx_library(vmx_junction
    PORTABLE
        common/MountPointBuffer.cpp
    WIN
        common/ReparsePoints.cpp
        common/Junction.cpp
    DEPS vmx_common
    WIN_LIBS shell32)
