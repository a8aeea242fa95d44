# Finds the header-only stb libraries as Debian ships them (libstb-dev: headers
# in /usr/include/stb). Defines Stb_INCLUDE_DIR and the target Stb::Stb.
find_path(Stb_INCLUDE_DIR stb_image_write.h PATH_SUFFIXES stb)
# Headers that hold only source serve every target alike, so a cross build may
# take the build machine's copy when its own root has none.
find_path(Stb_INCLUDE_DIR stb_image_write.h PATHS /usr/include PATH_SUFFIXES stb
          NO_CMAKE_FIND_ROOT_PATH)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Stb REQUIRED_VARS Stb_INCLUDE_DIR)

if(Stb_FOUND AND NOT TARGET Stb::Stb)
  add_library(Stb::Stb INTERFACE IMPORTED)
  set_target_properties(Stb::Stb PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${Stb_INCLUDE_DIR}")
endif()
mark_as_advanced(Stb_INCLUDE_DIR)
