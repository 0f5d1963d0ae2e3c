# Runs at install time: the application-menu entry names the installed executable by its full
# path, since <prefix>/bin need not be on the user's PATH.
set(TOLVANE_EXEC "${CMAKE_INSTALL_PREFIX}/bin/tolvane")
if(TOLVANE_EXEC MATCHES "[ \"'\\\\]")
  string(REPLACE "\\" "\\\\\\\\" TOLVANE_EXEC "${TOLVANE_EXEC}")
  string(REPLACE "\"" "\\\\\"" TOLVANE_EXEC "${TOLVANE_EXEC}")
  set(TOLVANE_EXEC "\"${TOLVANE_EXEC}\"")
endif()
configure_file(${TOLVANE_DESKTOP_TEMPLATE} ${TOLVANE_DESKTOP_BUILD}/tolvane.desktop @ONLY)
file(INSTALL ${TOLVANE_DESKTOP_BUILD}/tolvane.desktop
     DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
