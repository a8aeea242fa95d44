# x86-64 against another C library than the build machine's, unpacked in
# QORMAP_SYSROOT (the wheels: cmake/Wheels.cmake).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
include(${CMAKE_CURRENT_LIST_DIR}/sysroot.cmake)
