# format-image: creates and formats a backup image set from the command line (checks, benchmarks).
add_executable(format-image bench/FormatImageTool.cpp)
target_link_libraries(format-image PRIVATE vmx_image)
if(WIN32)
    target_link_options(format-image PRIVATE -municode)
elseif(NOT VMX_SANITIZE)
    # Linked statically like the Windows programs: no shared-library loading at each start.
    target_link_options(format-image PRIVATE -static)
endif()
