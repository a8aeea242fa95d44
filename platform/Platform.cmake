# What differs between the systems the programs run on, chosen here once: the
# rest of the code calls the same functions everywhere. The logic both share
# lives in platform/ itself and calls each system's small hooks. Sets the
# sources of the generator's library, of the programs' console and of what
# only vxltool uses.
if(WIN32)
  set(qormap_platform windows)
  # The executable format aligns no object beyond 8 KiB.
  set(qormap_world_alignment 4096)
else()
  set(qormap_platform posix)
  set(qormap_world_alignment 2097152)  # a huge page
endif()

# The generator's library: whole-or-nothing output, file names, forks, helper
# threads and the world's pages.
set(qormap_platform_sources platform/replaced_file.cpp)
foreach(concern file_names fork_guard helper_threads replaced_file world_pages)
  list(APPEND qormap_platform_sources platform/${qormap_platform}/${concern}.cpp)
endforeach()
if(WIN32)
  list(APPEND qormap_platform_sources platform/windows/win32.cpp)
endif()
# The programs' console, which the library never touches.
set(qormap_console_sources platform/${qormap_platform}/console.cpp)
# What only vxltool asks: whole files read, what a path names, and a scratch
# file for long output.
set(qormap_reader_platform_sources platform/whole_file.cpp)
foreach(concern whole_file file_kind scratch_file)
  list(APPEND qormap_reader_platform_sources platform/${qormap_platform}/${concern}.cpp)
endforeach()

# world/world.h places the world's static block by it, in every target.
target_compile_definitions(qormap_rules INTERFACE QORMAP_WORLD_ALIGNMENT=${qormap_world_alignment})
