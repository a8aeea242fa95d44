# Puts the page together: index.html with the style, the scripts and the
# worker (the WebAssembly module inside it) written into it, so that the one
# file opens from disk, where a page may load no other file of its folder.
# Usage: cmake -DSOURCE_DIR=... -DMODULE=... -DOUTPUT=... -DVERSION=... -P Assemble.cmake
cmake_minimum_required(VERSION 3.25)

# Static hosts serve 3 MB quickly on a phone's connection.
set(largest_page 3145728)

file(READ ${SOURCE_DIR}/index.html page)
file(READ ${SOURCE_DIR}/page.css style)
file(READ ${SOURCE_DIR}/page.js script)
file(READ ${SOURCE_DIR}/pointers.js pointers)
file(READ ${SOURCE_DIR}/viewer3d.js viewer)
file(READ ${MODULE} module)
file(READ ${SOURCE_DIR}/worker.js worker)

foreach(part pointers script viewer module worker)
  # Inlined text must not end the script element it is written into.
  string(TOLOWER "${${part}}" lowered)
  string(FIND "${lowered}" "</script" closing)
  if(NOT closing EQUAL -1)
    message(FATAL_ERROR "${part} holds '</script', which would end its element in the page")
  endif()
endforeach()

string(REPLACE "/* @style@ */" "${style}" page "${page}")
string(REPLACE "// @pointers@" "${pointers}" page "${page}")
string(REPLACE "// @viewer@" "${viewer}" page "${page}")
string(REPLACE "// @page@" "${script}" page "${page}")
string(REPLACE "// @worker@" "${module}\n${worker}" page "${page}")
string(REPLACE "@version@" "${VERSION}" page "${page}")
file(WRITE ${OUTPUT} "${page}")

file(SIZE ${OUTPUT} size)
if(size GREATER largest_page)
  message(FATAL_ERROR "the page is ${size} bytes, more than ${largest_page}")
endif()
