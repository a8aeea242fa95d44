# Builds against the C library unpacked in QORMAP_SYSROOT (scripts/debian-root)
# instead of the build machine's, so that what is built needs no newer glibc
# than the sysroot's; g++ keeps its own C++ runtime. Included by the
# *-sysroot.cmake toolchains once they have named the processor and compilers.
if(NOT QORMAP_SYSROOT)
  message(FATAL_ERROR "name the sysroot: -DQORMAP_SYSROOT=FOLDER")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QORMAP_SYSROOT)
set(CMAKE_SYSROOT ${QORMAP_SYSROOT})
set(CMAKE_FIND_ROOT_PATH ${QORMAP_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Whatever the sysroot, g++ also searches folders of the build machine's C
# library: a cross g++ the headers in /usr/TRIPLE/include, every g++ its
# multiarch library folder. Headers: the compiler's own search list less any
# folder outside the sysroot that holds a C library's headers. Libraries and
# start files: the sysroot's folders first.
foreach(language C CXX)
  if(language STREQUAL "C")
    set(qormap_source c)
  else()
    set(qormap_source c++)
  endif()
  execute_process(
    COMMAND ${CMAKE_${language}_COMPILER} --sysroot=${QORMAP_SYSROOT} -E -v -x ${qormap_source} /dev/null
    OUTPUT_QUIET ERROR_VARIABLE qormap_search COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE ".*search starts here:\n(.*)\nEnd of search list.*" "\\1"
    qormap_search "${qormap_search}")
  string(REPLACE "\n" ";" qormap_search "${qormap_search}")
  set(qormap_flags "-nostdinc")
  foreach(folder IN LISTS qormap_search)
    string(STRIP "${folder}" folder)
    cmake_path(IS_PREFIX QORMAP_SYSROOT "${folder}" NORMALIZE qormap_inside)
    if(qormap_inside OR NOT EXISTS "${folder}/features.h")
      string(APPEND qormap_flags " -isystem ${folder}")
    endif()
  endforeach()
  set(CMAKE_${language}_FLAGS_INIT "${qormap_flags}")
endforeach()
set(qormap_triple ${CMAKE_SYSTEM_PROCESSOR}-linux-gnu)
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT
    "-B${QORMAP_SYSROOT}/usr/lib/${qormap_triple}/ -L${QORMAP_SYSROOT}/lib/${qormap_triple}")
endforeach()
