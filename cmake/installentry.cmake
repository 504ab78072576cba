# Run by cmake --install (see desktop.cmake): writes the desktop entry from its template with
# Exec naming the installed program, and installs it into share/applications of the prefix.
# Needs TALLYMERE_ENTRY_TEMPLATE and TALLYMERE_ENTRY_STAGING.

set(program "${CMAKE_INSTALL_PREFIX}/tallymere")
# A path with characters the Exec line reserves is quoted, with the escapes the desktop entry
# rules ask for inside quotes (\" \` \$ \\), then the string escape of each backslash; a
# percent sign is doubled so that it is no field code.
if(program MATCHES "[^A-Za-z0-9/._+-]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" program "${program}")
  string(REPLACE "\\" "\\\\" program "${program}")
  set(program "\"${program}\"")
endif()
string(REPLACE "%" "%%" TALLYMERE_EXEC "${program}")

configure_file("${TALLYMERE_ENTRY_TEMPLATE}" "${TALLYMERE_ENTRY_STAGING}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
  FILES "${TALLYMERE_ENTRY_STAGING}")
