# 64-bit Windows, with Debian's cross compiler (g++-mingw-w64-x86-64). The
# "-posix" variant: the win32 one has no std::thread. The runtime is linked
# in statically, so the programs need no DLLs beside them. Run them with wine
# (WINEDEBUG=-all wine PROGRAM.exe).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all wine)
# zlib (libz-mingw-w64-dev) comes as a DLL's import library too; the programs
# take the static one, like the runtime.
set(ZLIB_USE_STATIC_LIBS ON)
