# Run by cmake --install: writes the desktop entry with the installed
# program's path and installs it under the prefix. Takes SORN_DESKTOP_TEMPLATE
# and SORN_DESKTOP_FILE.
set(program "${CMAKE_INSTALL_PREFIX}/bin/sorn-editor")
# Quoted as the desktop entry format asks: inside the quotes a backslash,
# double quote, backquote and dollar take a backslash; then the value's own
# escaping doubles every backslash; a percent sign is written twice.
foreach(special [[\]] [["]] [[`]] [[$]])
  string(REPLACE "${special}" "\\${special}" program "${program}")
endforeach()
string(REPLACE [[\]] [[\\]] program "${program}")
string(REPLACE "%" "%%" program "${program}")
file(READ "${SORN_DESKTOP_TEMPLATE}" entry)
string(REPLACE "@SORN_EXEC@" "\"${program}\"" entry "${entry}")
file(WRITE "${SORN_DESKTOP_FILE}" "${entry}")
file(INSTALL "${SORN_DESKTOP_FILE}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications"
     RENAME sorn-editor.desktop)
