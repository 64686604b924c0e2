# Writes a C++ source that holds the given files as byte arrays, so that test programs find
# their data wherever they run (natively or under Wine).
# Usage: cmake -DROOT=dir -DOUTPUT=file.cpp -DFILES="a;b" [-DTABLE=name] -P EmbedFiles.cmake
# The table is kEmbeddedFiles unless named.
if(NOT TABLE)
  set(TABLE kEmbeddedFiles)
endif()
set(body "#include \"tests/support/test_data.h\"\n\nnamespace qs::test {\nnamespace {\n")
set(table "")
set(index 0)
foreach(relative IN LISTS FILES)
  file(READ "${ROOT}/${relative}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(APPEND body "const unsigned char kFile${index}[] = {${bytes}0};\n")
  string(APPEND table "    {\"${relative}\", kFile${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
string(APPEND body "}  // namespace\n\nconst EmbeddedFile ${TABLE}[] = {\n${table}    {nullptr, nullptr, 0}};\n\n}  // namespace qs::test\n")
file(WRITE "${OUTPUT}.new" "${body}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
