vmx_test(NAME test_image_file KIND portable LIBS vmx_image SOURCES
    tests/utility/disk/ImageFilePiecesTest.cpp
    tests/utility/disk/ImageFileOperationsTest.cpp)

# Linux volumes (tmpfs, sparse files) and the format-image tool judged by fsck.fat.
vmx_test(NAME test_image_file_native KIND native LIBS vmx_image SOURCES
    tests/utility/disk/ImageFileNativeTest.cpp)
if(TARGET test_image_file_native)
    target_compile_definitions(test_image_file_native PRIVATE FORMAT_IMAGE_TOOL="$<TARGET_FILE:format-image>")
    add_dependencies(test_image_file_native format-image)
endif()

# Sharing, deletion at restart and case-insensitive names, as Windows answers them.
vmx_test(NAME test_image_file_win KIND win LIBS vmx_image SOURCES
    tests/utility/disk/ImageFileWinTest.cpp)
