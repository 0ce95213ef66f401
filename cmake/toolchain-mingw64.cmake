# Cross-building the Windows program with Debian's MinGW-w64 (g++-mingw-w64-x86-64). The posix
# thread model is the one whose libstdc++ has std::thread; everything is linked statically, so
# the program needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MKB_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MKB_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MKB_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MKB_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MKB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Programs and test suites built here run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
