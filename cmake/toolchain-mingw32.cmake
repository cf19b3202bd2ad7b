# Windows i686 cross build (mingw-w64 posix): the build real desktops need.
# This machine cannot run 32-bit programs, so it is compiled only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)
set(MRW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${MRW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MRW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MRW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MRW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
