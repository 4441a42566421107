# Cross build for 32-bit Windows, what 32-bit classic hosts load. Its programs
# (the type-library generator among them) run under the 32-bit wine, in the
# same WoW64 prefix as the x86_64 build.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
if(EXISTS /usr/lib/wine/wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
endif()
