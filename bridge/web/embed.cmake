# Writes the control page's files into a C++ source as byte arrays, so that
# the program needs no files and no network at run time.
#   cmake -DOUTPUT=file.cpp -DINPUTS="a.html|b.js|c.css" -P embed.cmake
string(REPLACE "|" ";" INPUTS "${INPUTS}")
set(code "// Generated from bridge/web by embed.cmake; edit those files instead.\n#include <cstddef>\n\n")
foreach(input ${INPUTS})
  get_filename_component(name ${input} NAME)
  string(MAKE_C_IDENTIFIER ${name} symbol)
  file(READ ${input} hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR size "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND code "extern const unsigned char kWeb_${symbol}[] = {${bytes}0};\n")
  string(APPEND code "extern const std::size_t kWeb_${symbol}_size = ${size};\n")
endforeach()
file(WRITE ${OUTPUT}.new "${code}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
