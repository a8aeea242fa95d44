# 32-bit x86, with Debian's cross compiler (g++-i686-linux-gnu), whose default
# arithmetic is the x87 unit; the compile rules switch it to SSE2. A kernel
# without 32-bit support runs the programs with qemu-user:
# qemu-i386 -L /usr/i686-linux-gnu PROGRAM.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
