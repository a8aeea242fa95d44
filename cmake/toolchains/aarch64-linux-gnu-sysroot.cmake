# 64-bit Arm with Debian's cross compiler (g++-aarch64-linux-gnu), against the C
# library unpacked in QORMAP_SYSROOT (the wheels: cmake/Wheels.cmake).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
include(${CMAKE_CURRENT_LIST_DIR}/sysroot.cmake)
