# Turns the app-defaults file (IN) into a C++ include (OUT): one string per resource line,
# null-terminated, and the file's version stamp (its Tarnedit.resourceVersion resource).
# Comment lines ("!") and blank lines are dropped; a line ending in a backslash is joined
# with the next one, as the resource manager would.
file(STRINGS "${IN}" raw_lines)
set(body "")
set(version "")
set(pending "")
foreach(line IN LISTS raw_lines)
  set(line "${pending}${line}")
  set(pending "")
  if(line MATCHES "\\\\$")
    string(REGEX REPLACE "\\\\$" "" pending "${line}")
    continue()
  endif()
  string(STRIP "${line}" stripped)
  if(stripped STREQUAL "" OR stripped MATCHES "^!")
    continue()
  endif()
  if(stripped MATCHES "^Tarnedit\\.resourceVersion:[ \t]*(.*)$")
    set(version "${CMAKE_MATCH_1}")
  endif()
  string(REPLACE "\\" "\\\\" escaped "${stripped}")
  string(REPLACE "\"" "\\\"" escaped "${escaped}")
  string(APPEND body "    \"${escaped}\",\n")
endforeach()
if(version STREQUAL "")
  message(FATAL_ERROR "${IN} has no Tarnedit.resourceVersion line")
endif()
file(WRITE "${OUT}.tmp"
  "// Generated from resources/Tarnedit at build time; do not edit.\n"
  "#define TARNEDIT_RESOURCE_VERSION \"${version}\"\n"
  "static const char* const tarnedit_fallback_lines[] = {\n"
  "${body}"
  "    nullptr,\n"
  "};\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUT}.tmp" "${OUT}")
file(REMOVE "${OUT}.tmp")
