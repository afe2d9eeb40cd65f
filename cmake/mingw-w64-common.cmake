# What the 32- and 64-bit Windows builds share; the toolchain files set CMAKE_SYSTEM_PROCESSOR and
# TARN_MINGW_TRIPLE first. Debian's mingw-w64 with the posix thread model (for std::thread and
# std::mutex); everything linked statically, so the .exe runs on a bare Windows.
set(CMAKE_SYSTEM_NAME Windows)

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
