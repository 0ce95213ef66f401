# cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DFUNCTION=<name> -P embed_text.cmake
# Writes a C++ source whose function returns the input file's bytes as a std::string_view, so
# that a data file kept as text in the repository is compiled into the program.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
file(WRITE ${OUTPUT}.tmp
  "// Generated from ${INPUT}; do not edit.\n#include <string_view>\n"
  "namespace { const char Bytes[] = {${bytes} 0}; }\n"
  "std::string_view ${FUNCTION}() { return {Bytes, ${size}}; }\n")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
