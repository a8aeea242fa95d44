# The manual pages qormap(1) and vxltool(1), from their scdoc sources in
# docs/man/, compressed as Debian keeps them.
find_program(QORMAP_SCDOC scdoc)
if(QORMAP_SCDOC)
  set(qormap_man_default ON)
else()
  set(qormap_man_default OFF)
endif()
option(QORMAP_MAN_PAGES "Make and install the manual pages (needs scdoc)" ${qormap_man_default})
if(QORMAP_MAN_PAGES)
  if(NOT QORMAP_SCDOC)
    message(FATAL_ERROR "the manual pages need scdoc (apt-get install scdoc)")
  endif()
  set(qormap_pages qormap)
  if(QORMAP_BUILD_TOOLS)
    list(APPEND qormap_pages vxltool)
  endif()
  set(qormap_page_files "")
  foreach(page ${qormap_pages})
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1.scd)
    set(output ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND sh -c "\"$0\" < \"$1\" > \"$2\"" ${QORMAP_SCDOC} ${source} ${PROJECT_BINARY_DIR}/man/${page}.1
      COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/man/${page}.1
      DEPENDS ${source} COMMENT "Manual page ${page}(1)" VERBATIM)
    list(APPEND qormap_page_files ${output})
  endforeach()
  add_custom_target(qormap_man_pages ALL DEPENDS ${qormap_page_files})
  install(FILES ${qormap_page_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT programs)
endif()
