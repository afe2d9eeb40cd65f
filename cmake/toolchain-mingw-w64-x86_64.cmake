# Cross-compiles the 64-bit Windows build.
# Use: cmake -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake
#      -DTARN_BACKEND=win32
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARN_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# ctest runs the test programs under Wine when it is there.
find_program(TARN_WINE64 NAMES wine64 wine)
if(TARN_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARN_WINE64})
endif()
