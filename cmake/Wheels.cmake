# The Python downloads, beside the packages: the wheels
# qormap-VERSION-cp39-abi3-manylinux_2_X_ARCH.whl for x86-64 and aarch64, and
# the source distribution qormap-VERSION.tar.gz (python/build_backend.py, run
# by Debian's python3-build).
#
# Each wheel's module is built in a build folder of its own, wheel-ARCH/,
# against Debian 11's C library (glibc 2.31) and CPython 3.9 headers, which
# scripts/debian-root unpacks once into the user's cache, with g++'s C++
# runtime linked in. python/make_wheel.py names the wheel after the newest
# glibc the module needs and refuses one that needs a newer glibc than 2.31.
if(NOT QORMAP_PYTHON)
  message(FATAL_ERROR "QORMAP_PYTHON_DOWNLOADS needs the Python module (QORMAP_PYTHON=ON)")
endif()
include(ExternalProject)

set(qormap_wheel_suite bullseye)
set(qormap_wheel_glibc 2.31)
set(qormap_sysroot_packages libc6 libc6-dev linux-libc-dev libcrypt-dev libpython3.9-dev)
if(DEFINED ENV{XDG_CACHE_HOME})
  set(qormap_user_cache "$ENV{XDG_CACHE_HOME}")
else()
  set(qormap_user_cache "$ENV{HOME}/.cache")
endif()
set(QORMAP_SYSROOTS "${qormap_user_cache}/qormap/sysroots" CACHE PATH
  "Where the wheels' sysroots (Debian 11's C library) are unpacked")

foreach(machine IN ITEMS x86_64 aarch64)
  if(machine STREQUAL "x86_64")
    set(debian_arch amd64)
  else()
    set(debian_arch arm64)
  endif()
  set(sysroot ${QORMAP_SYSROOTS}/${qormap_wheel_suite}-${debian_arch})
  # Always run, so a sysroot removed from the cache comes back; once there, it
  # takes no time.
  add_custom_target(qormap_sysroot_${machine}
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/debian-root ${qormap_wheel_suite} ${debian_arch} ${sysroot}
            ${qormap_sysroot_packages}
    COMMENT "Debian ${qormap_wheel_suite}'s C library for ${machine} in ${sysroot}" VERBATIM)
  ExternalProject_Add(qormap_wheel_${machine}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/wheel-${machine}
    DEPENDS qormap_sysroot_${machine}
    DOWNLOAD_COMMAND ""
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchains/${machine}-linux-gnu-sysroot.cmake
      -DQORMAP_SYSROOT=${sysroot}
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      -DQORMAP_PYTHON_ONLY=ON
      -DQORMAP_MANYLINUX=${qormap_wheel_glibc}
      -DPython3_INCLUDE_DIR=${sysroot}/usr/include/python3.9
      -DQORMAP_BUILD_PYTHON=${Python3_EXECUTABLE}
      -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER}
      -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
      -DCMAKE_COMPILE_WARNING_AS_ERROR=${CMAKE_COMPILE_WARNING_AS_ERROR}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target qormap_wheel
    BUILD_ALWAYS ON
    # Into this build folder, in place of an earlier one for this processor.
    INSTALL_COMMAND sh -c "rm -f \"$1\"/qormap-*_$2.whl && cp \"$0\"/*.whl \"$1\"/"
                    <BINARY_DIR>/dist ${PROJECT_BINARY_DIR} ${machine})
endforeach()

add_custom_target(qormap_sdist ALL
  COMMAND ${Python3_EXECUTABLE} -m build --sdist --no-isolation --outdir ${PROJECT_BINARY_DIR}
          ${PROJECT_SOURCE_DIR}
  COMMENT "Making the source distribution" VERBATIM)
