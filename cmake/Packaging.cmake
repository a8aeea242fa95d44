# The downloads, made by cpack from the install rules: on Linux
# qormap-VERSION-Linux-ARCH.tar.gz with everything, and Debian packages split
# as Debian splits a library with programs and a module: qormap (the programs,
# their manual pages and shell completion), libqormapN (the shared library, N
# its ABI number), libqormap-dev (headers, static library, CMake and
# pkg-config files) and python3-qormap (the module); with
# QORMAP_PYTHON_DOWNLOADS also the manylinux wheels and the source
# distribution (cmake/Wheels.cmake). On Windows qormap-VERSION-win64.zip with
# the programs, a short text on their use and the licence.
set(CPACK_PACKAGE_NAME qormap)
set(CPACK_PACKAGE_VENDOR "qormap developers")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "generator of voxel maps (VXL) from a seed, and a map checker")
  # A player wants the programs; the library's files are for builders.
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL programs)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  install(FILES packaging/windows/README.txt DESTINATION . COMPONENT programs)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT programs)
else()
  include(cmake/ManPages.cmake)
  set(qormap_completions packaging/bash-completion/qormap)
  if(QORMAP_BUILD_TOOLS)
    list(APPEND qormap_completions packaging/bash-completion/vxltool)
  endif()
  install(FILES ${qormap_completions}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT programs)

  # component | package | section | description (its first line the synopsis)
  set(qormap_library_package libqormap${qormap_abi_version})
  set(qormap_packages
    "programs|qormap|utils|generator of voxel maps (VXL) from a seed, and a map checker
qormap builds a world of 512 x 512 columns, each 64 voxels deep, from a
32-bit seed and writes it as one map file in the VXL column-span format. The
same seed and options give the same file, byte for byte, on every machine.
vxltool checks, describes, compares and pictures such maps."
    "library|${qormap_library_package}|libs|voxel map (VXL) generator library
The qormap generator as a C library: from a 32-bit seed and a few options it
makes a 512 x 512 x 64 voxel world in the VXL column-span format, in memory
or written to a file, the same bytes on every machine."
    "development|libqormap-dev|libdevel|voxel map (VXL) generator library: development files
The header, the static library, the CMake package (qormap::qormap) and the
pkg-config file for building programs with libqormap, the qormap generator
as a C library.")
  if(QORMAP_PYTHON)
    list(APPEND qormap_packages "python|python3-qormap|python|voxel map (VXL) generator for Python 3
The Python 3 module qormap makes the maps of the qormap generator in the
interpreter's process: qormap.generate(seed) gives a 512 x 512 x 64 voxel
world in the VXL format as bytes, the same bytes on every machine.")
  endif()

  # Each package has its own copyright and changelog; the changelog of a
  # package made here (a native one: no Debian revision), kept compressed,
  # without a time stamp in the gzip header.
  set(qormap_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${qormap_changelog}
    COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/changelog > ${qormap_changelog}
    DEPENDS packaging/debian/changelog)
  add_custom_target(qormap_changelog ALL DEPENDS ${qormap_changelog})

  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL "")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "qormap developers <qormap@example.org>")
  foreach(entry IN LISTS qormap_packages)
    string(REGEX MATCH "^([^|]*)\\|([^|]*)\\|([^|]*)\\|(.*)$" entry "${entry}")
    set(component ${CMAKE_MATCH_1})
    string(TOUPPER ${component} upper)
    list(APPEND CPACK_COMPONENTS_ALL ${component})
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${CMAKE_MATCH_2})
    set(CPACK_DEBIAN_${upper}_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION ${CMAKE_MATCH_3})
    set(CPACK_DEBIAN_${upper}_DESCRIPTION "${CMAKE_MATCH_4}")
    install(FILES packaging/debian/copyright ${qormap_changelog}
      DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CMAKE_MATCH_2} COMPONENT ${component})
  endforeach()
  # Dependencies from the programs' and libraries' own links (dpkg-shlibdeps);
  # the development files need the library of their very version.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
  set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS library)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${qormap_python_depends}")
  # The shlibs file and the ldconfig trigger a package with a public library
  # needs. The trigger replaces the ldconfig calls cpack would otherwise put in
  # postinst and postrm, which therefore do nothing.
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/triggers
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  install(FILES packaging/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
    RENAME ${qormap_library_package} COMPONENT library)

  option(QORMAP_PYTHON_DOWNLOADS
    "Make the manylinux wheels (x86-64, aarch64) and the source distribution (downloads Debian 11's C library)" OFF)
  if(QORMAP_PYTHON_DOWNLOADS)
    include(cmake/Wheels.cmake)
  endif()
endif()

include(CPack)
