# The downloads, made by cpack from the install rules: on Linux
# qormap-VERSION-Linux-ARCH.tar.gz and a .deb with the programs, their manual
# pages and shell completion, the library, its headers and the Python module;
# on Windows qormap-VERSION-win64.zip with the programs and a short text on
# their use.
set(CPACK_PACKAGE_NAME qormap)
set(CPACK_PACKAGE_VENDOR "qormap developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "generator of voxel maps (VXL) from a seed, and a map checker")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # A player wants the programs; the library's files are for builders.
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL programs)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  install(FILES packaging/windows/README.txt DESTINATION . COMPONENT programs)
else()
  include(cmake/ManPages.cmake)
  set(qormap_completions packaging/bash-completion/qormap)
  if(QORMAP_BUILD_TOOLS)
    list(APPEND qormap_completions packaging/bash-completion/vxltool)
  endif()
  install(FILES ${qormap_completions}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT programs)
  # The changelog of a package made here (a native one: no Debian revision),
  # kept compressed, without a time stamp in the gzip header.
  set(qormap_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${qormap_changelog}
    COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/changelog > ${qormap_changelog}
    DEPENDS packaging/debian/changelog)
  add_custom_target(qormap_changelog ALL DEPENDS ${qormap_changelog})
  install(FILES packaging/debian/copyright ${qormap_changelog}
    DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT programs)

  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "qormap developers <qormap@example.org>")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "qormap builds a world of 512 x 512 columns, each 64 voxels deep, from a
32-bit seed and writes it as one map file in the VXL column-span format; the
same seed and options give the same file, byte for byte, on every machine.
vxltool checks, describes, compares and pictures such maps. The generator is
also a C library (libqormap, with its header, CMake package and pkg-config
file) and a Python 3 module, qormap.")
  # Dependencies from the programs' and libraries' own links (dpkg-shlibdeps),
  # and the shlibs file and ldconfig trigger a package with a public library
  # needs. The trigger replaces the ldconfig calls cpack would otherwise put in
  # postinst and postrm, which therefore do nothing.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/triggers
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${qormap_python_depends}")
  install(FILES packaging/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
    RENAME qormap COMPONENT programs)
endif()

include(CPack)
