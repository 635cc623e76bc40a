# Installation layout and the Debian package (scripts/package.sh).
# The program reads its templates from its own folder, so both live in lib/kestrune; bin gets a
# launcher for it.
set(KESTRUNE_PROGRAM_DIR lib/kestrune)

install(TARGETS kestrune RUNTIME DESTINATION ${KESTRUNE_PROGRAM_DIR})
install(FILES
  ${CMAKE_SOURCE_DIR}/templates/Full_Wits_Packet.txt
  ${CMAKE_SOURCE_DIR}/templates/Half_Wits_Packet.txt
  DESTINATION ${KESTRUNE_PROGRAM_DIR})
# Written at install time, so it names the prefix actually installed to (cmake --install --prefix).
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install_launcher.cmake)
if(TARGET kestrune-receiver)
  install(TARGETS kestrune-receiver RUNTIME DESTINATION bin)
endif()

# The desktop icon is the window's own, drawn by kestrune-icon without a display.
set(KESTRUNE_ICON ${CMAKE_BINARY_DIR}/packaging/kestrune.png)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${KESTRUNE_ICON}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:kestrune-icon> ${KESTRUNE_ICON}
  DEPENDS kestrune-icon
  COMMENT "Drawing the desktop icon")
add_custom_target(kestrune_desktop_icon ALL DEPENDS ${KESTRUNE_ICON})
install(FILES ${KESTRUNE_ICON} DESTINATION share/icons/hicolor/32x32/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/kestrune.desktop DESTINATION share/applications)

set(CPACK_PACKAGE_NAME kestrune)
set(CPACK_PACKAGE_VENDOR "Kestrune developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "WITS Level 0 drilling-data simulator for testing receivers")
set(CPACK_PACKAGE_DESCRIPTION [[
Kestrune plays a rig's electronic drilling recorder: it simulates a well being
drilled and sends the values out of a serial port as WITS Level 0 packets, on a
timer or whenever the receiver asks. kestrune-receiver prints the packets that
arrive on a line.]])
set(CPACK_PACKAGE_CONTACT "Kestrune developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libqt6gui6 only recommends the platform plugins, and without them no window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation2)
include(CPack)
