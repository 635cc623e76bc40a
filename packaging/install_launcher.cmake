# Writes <prefix>/bin/kestrune, which starts the program in its own folder.
set(KESTRUNE_PROGRAM "${CMAKE_INSTALL_PREFIX}/lib/kestrune/kestrune")
set(launcher "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/kestrune")
message(STATUS "Installing: ${launcher}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/kestrune.in ${launcher} @ONLY)
file(CHMOD ${launcher} PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
