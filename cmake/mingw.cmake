# Cross-build for Windows with mingw-w64's posix-thread compilers (GoogleTest needs std::mutex).
# SMEARSCOPE_ARCH is i686 (the product) or x86_64 (a test build for machines that cannot run
# 32-bit code; same sources).
if(NOT SMEARSCOPE_ARCH)
  set(SMEARSCOPE_ARCH i686)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${SMEARSCOPE_ARCH})
set(triple ${SMEARSCOPE_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(SMEARSCOPE_ARCH STREQUAL "i686")
  # NOTE: x87 keeps float temporaries at 80 bits, so values the renderer must round to single
  # precision (notice fade, noise lattice, clock) would not be; SSE maths rounds each step, as the
  # x86_64 build does. The player calls us with a 4-byte aligned stack: realign for SSE spills.
  set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
  set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
endif()
if(SMEARSCOPE_ARCH STREQUAL "x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
endif()
