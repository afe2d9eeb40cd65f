# Cross-compiles the 64-bit Windows build with Debian's mingw-w64 (posix thread model, for
# std::thread and std::mutex). Everything is linked statically, so the .exe runs on a bare Windows.
# Use: cmake -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake
#      -DTARN_BACKEND=win32
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARN_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TARN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARN_MINGW_TRIPLE}-windres)

# Libraries and headers (zlib from libz-mingw-w64-dev) come from the target's sysroot only.
set(CMAKE_FIND_ROOT_PATH /usr/${TARN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(TARN_BACKEND win32 CACHE STRING "Platform backend: portable or win32")

# ctest runs the test programs under Wine when it is there.
find_program(TARN_WINE64 NAMES wine64 wine)
if(TARN_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARN_WINE64})
endif()
