# What differs between the systems the programs run on, chosen here once: the
# rest of the code calls the same functions everywhere. The logic both share
# lives in platform/ itself and calls each system's small hooks. Sets
# qormap_platform_sources, for the generator's library.
if(WIN32)
  set(qormap_platform windows)
  # The executable format aligns no object beyond 8 KiB.
  set(qormap_world_alignment 4096)
else()
  set(qormap_platform posix)
  set(qormap_world_alignment 2097152)  # a huge page
endif()

set(qormap_platform_sources platform/replaced_file.cpp platform/whole_file.cpp)
foreach(concern console file_names fork_guard helper_threads replaced_file whole_file world_pages)
  list(APPEND qormap_platform_sources platform/${qormap_platform}/${concern}.cpp)
endforeach()
# What vxltool asks: what a path names, and a scratch file for long output.
list(APPEND qormap_platform_sources
  platform/${qormap_platform}/file_kind.cpp platform/${qormap_platform}/scratch_file.cpp)
if(WIN32)
  list(APPEND qormap_platform_sources platform/windows/win32.cpp)
endif()

# world/world.h places the world's static block by it, in every target.
target_compile_definitions(qormap_rules INTERFACE QORMAP_WORLD_ALIGNMENT=${qormap_world_alignment})
