# Shared part of the mingw-w64 toolchain files; RUVOK_MINGW_TRIPLET names the target.
set(CMAKE_SYSTEM_NAME Windows)
if(RUVOK_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR X86)
endif()

# The posix thread model gives std::thread and std::mutex; winpthread is linked
# statically below, like libgcc and libstdc++.
set(CMAKE_C_COMPILER ${RUVOK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RUVOK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${RUVOK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RUVOK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every .exe carries its own runtime, so it runs under wine (or on a bare
# Windows) without looking for libstdc++-6.dll or libwinpthread-1.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Windows programs built here run under wine: CTest and test discovery use it.
find_program(RUVOK_WINE NAMES wine wine64)
if(RUVOK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RUVOK_WINE})
endif()
