# The downloads, made by cpack from the install rules: on Linux
# qormap-VERSION-Linux-ARCH.tar.gz and a .deb with the programs, the library
# and its headers; on Windows qormap-VERSION-win64.zip with the programs and
# a short text on their use.
set(CPACK_PACKAGE_NAME qormap)
set(CPACK_PACKAGE_VENDOR "qormap developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Generator of 512 x 512 x 64 voxel maps (VXL) from a seed, and a map checker")
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
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "qormap developers <qormap@localhost>")
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
