# Run as a script (cmake -P): writes OUTPUT, a C++ file that defines each
# entry NAME=FILE of ENTRIES (separated by '|') as an EmbeddedFile holding
# FILE's bytes (see tools/vxltool/page_files.h). An entry with no file is
# defined empty.
string(REPLACE "|" ";" entries "${ENTRIES}")
set(text "// Made by cmake/EmbedFiles.cmake from the files named below.\n")
string(APPEND text "#include \"tools/vxltool/page_files.h\"\n\n")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "=.*" "" name "${entry}")
  string(REGEX REPLACE "^[^=]*=" "" file "${entry}")
  if(file STREQUAL "")
    string(APPEND text "const EmbeddedFile ${name}{nullptr, 0};\n")
    continue()
  endif()
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  # Sixteen bytes a line.
  string(REGEX REPLACE "(................................)" "\\1\n" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND text "// ${file}\nstatic const unsigned char ${name}Bytes[] = {\n${bytes}0};\n")
  string(APPEND text "const EmbeddedFile ${name}{${name}Bytes, ${size}};\n")
endforeach()
file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
