# Cross-builds Windows programs (x86-64) with the POSIX-thread flavour of mingw-w64:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The programs link statically, so a bare Windows needs no extra DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELMORA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMORA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMORA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMORA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# GCC 12 reports false overlaps and uninitialised members inside its own string and variant
# code at -O2 (its bugs 105329 and 105562). M_PI needs asking for under strict C++.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict -Wno-maybe-uninitialized -D_USE_MATH_DEFINES")

# Tests and test discovery run the programs through Wine, with a prefix of the build's own.
find_program(VELMORA_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VELMORA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all
        ${VELMORA_WINE})
endif()
