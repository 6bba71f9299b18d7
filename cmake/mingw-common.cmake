# Debian's mingw-w64, posix thread model (std::thread / std::mutex available).
set(CMAKE_C_COMPILER   ${VMX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VMX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${VMX_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VMX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows programs run under Wine through this wrapper (prefix, timeout, quiet debug channels).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
