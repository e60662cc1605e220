# Cross-build for 64-bit Windows with Debian's mingw-w64, run under wine64.
# The -posix compiler variant is the one whose libstdc++ has std::thread and
# std::mutex (GoogleTest uses them).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

find_program(CMAKE_CXX_COMPILER NAMES x86_64-w64-mingw32-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in, so cardset.exe needs no DLL
# beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian keeps the 64-bit loader off PATH; /usr/bin/wine would find it too,
# but it is a script that asks for the 32-bit loader on every start.
find_program(CARDSET_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CACHE)
if(CARDSET_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CARDSET_WINE64})
endif()
