# Cross-compiles for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64-posix).
# The posix flavour brings std::thread and friends; everything is linked statically, so the
# programs need no DLL beyond the system's own.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
#
# With wine installed, the test programs run under it (CMAKE_CROSSCOMPILING_EMULATOR).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(STRAVENER_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${STRAVENER_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${STRAVENER_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${STRAVENER_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${STRAVENER_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread go into every program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(STRAVENER_WINE NAMES wine wine64)
  if(STRAVENER_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${STRAVENER_WINE})
  endif()
endif()
