# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (g++-mingw-w64-i686).
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DRUVOK_BUILD_VIEWER=OFF
# Running the result needs a 32-bit wine (wine32:i386).
set(RUVOK_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
