# Makes a copy of the SQLCipher archive in which every symbol it defines carries the
# prefix "snipcph_", and a header that maps the API names onto the prefixed ones.
# The cipher engine and the system's SQLite then share no symbol in one program.
execute_process(COMMAND ${NM} -g --defined-only ${ARCHIVE} OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" lines "${listing}")
set(map "")
set(defines "#pragma once\n// Generated: SQLCipher's API under its renamed symbols.\n")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]+ [A-Za-z] ([A-Za-z_][A-Za-z0-9_]*)$")
    string(APPEND map "${CMAKE_MATCH_1} snipcph_${CMAKE_MATCH_1}\n")
    string(APPEND defines "#define ${CMAKE_MATCH_1} snipcph_${CMAKE_MATCH_1}\n")
  endif()
endforeach()
if(NOT map MATCHES "sqlite3_open_v2")
  message(FATAL_ERROR "${ARCHIVE} does not define sqlite3_open_v2")
endif()
file(WRITE ${SYMS} "${map}")
file(WRITE ${HEADER} "${defines}")
execute_process(COMMAND ${OBJCOPY} --redefine-syms=${SYMS} ${ARCHIVE} ${OUT} COMMAND_ERROR_IS_FATAL ANY)
