# What both cross builds share: the MinGW-w64 compilers of CMAKE_SYSTEM_PROCESSOR
# in their posix thread model (std::mutex, which GoogleTest needs; linked in
# statically), and a search that takes libraries and headers from the target's
# root only. The including toolchain file sets the processor and the emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(NIMBRA_MINGW ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${NIMBRA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIMBRA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${NIMBRA_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${NIMBRA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
