# Cross-compiles the 32-bit Windows build (compiled and checked here; this machine runs no 32-bit
# code, so its tests do not run).
# Use: cmake -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-i686.cmake
#      -DTARN_BACKEND=win32
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TARN_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
