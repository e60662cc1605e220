# Cross-build for 32-bit Windows with Debian's mingw-w64 (the -posix compiler
# variant, as for 64 bits).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

find_program(CMAKE_CXX_COMPILER NAMES i686-w64-mingw32-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Doubles in SSE2 registers, not in the x87 unit, whose 80-bit registers
# round intermediate results differently from every other build; the draw
# test and the recycle limit depend on that rounding.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# libgcc, libstdc++ and winpthread linked in, so cardset.exe needs no DLL
# beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# 32-bit programs need the 32-bit loader of Debian's wine32 package; wine64
# alone cannot start them. Without it the build works and its tests cannot run.
find_program(CARDSET_WINE32 NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH NO_CACHE)
if(CARDSET_WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CARDSET_WINE32})
endif()
