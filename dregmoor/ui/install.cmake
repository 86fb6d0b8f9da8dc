# Dregmoor beside its help: the program folder is <prefix>/lib/dregmoor, with bin/dregmoor
# pointing at the program (which also runs the command-line modes) and a desktop entry and icon
# for the menus.
set(DREGMOOR_DIR lib/dregmoor)
set(DREGMOOR_HELP ${CMAKE_SOURCE_DIR}/docs/help/dregmoor.html)

# The build folder's program finds its help beside it too.
configure_file(${DREGMOOR_HELP} ${CMAKE_BINARY_DIR}/bin/dregmoor.html COPYONLY)

install(TARGETS dregmoor RUNTIME DESTINATION ${DREGMOOR_DIR})
install(FILES ${DREGMOOR_HELP} DESTINATION ${DREGMOOR_DIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/icons/dregmoor.svg
    DESTINATION share/icons/hicolor/scalable/apps RENAME ostrevin-dregmoor.svg)
# The entry names the program by its installed path, which is known only at install time.
install(CODE "
    set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/ostrevin-dregmoor.desktop\")
    set(DREGMOOR_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${DREGMOOR_DIR}/dregmoor\")
    configure_file(${CMAKE_CURRENT_SOURCE_DIR}/ostrevin-dregmoor.desktop.in \${entry} @ONLY)
    message(STATUS \"Installing: \${entry}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(CREATE_LINK ../${DREGMOOR_DIR}/dregmoor
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/dregmoor\" SYMBOLIC)
    message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/dregmoor\")
")
