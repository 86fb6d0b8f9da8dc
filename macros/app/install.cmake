# Keyloom beside its help, icon and side files: the program folder is <prefix>/lib/keyloom, with
# bin/keyloom pointing at the program and a desktop entry and icons for the menus.
set(KEYLOOM_DIR lib/keyloom)
set(KEYLOOM_HELP ${CMAKE_SOURCE_DIR}/docs/help/Keyloom.html ${CMAKE_SOURCE_DIR}/docs/help/Keyloomfaq.html)
set(KEYLOOM_ICON_DIR ${CMAKE_CURRENT_SOURCE_DIR}/icons)

# The build folder's program finds its help and shortcut icon beside it too.
foreach(file ${KEYLOOM_HELP})
    get_filename_component(name ${file} NAME)
    configure_file(${file} ${CMAKE_BINARY_DIR}/bin/${name} COPYONLY)
endforeach()
configure_file(${KEYLOOM_ICON_DIR}/keyloom-64.png ${CMAKE_BINARY_DIR}/bin/keyloom.png COPYONLY)

install(TARGETS macros RUNTIME DESTINATION ${KEYLOOM_DIR})
install(FILES ${KEYLOOM_HELP} DESTINATION ${KEYLOOM_DIR})
install(FILES ${KEYLOOM_ICON_DIR}/keyloom-64.png DESTINATION ${KEYLOOM_DIR} RENAME keyloom.png)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${KEYLOOM_ICON_DIR}/keyloom-${size}.png
        DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ostrevin-keyloom.png)
endforeach()
install(FILES ${KEYLOOM_ICON_DIR}/keyloom.svg
    DESTINATION share/icons/hicolor/scalable/apps RENAME ostrevin-keyloom.svg)
# The entry names the program by its installed path, which is known only at install time.
install(CODE "
    set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/ostrevin-keyloom.desktop\")
    set(KEYLOOM_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${KEYLOOM_DIR}/macros\")
    configure_file(${CMAKE_CURRENT_SOURCE_DIR}/ostrevin-keyloom.desktop.in \${entry} @ONLY)
    message(STATUS \"Installing: \${entry}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(CREATE_LINK ../${KEYLOOM_DIR}/macros
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/keyloom\" SYMBOLIC)
    message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/keyloom\")
")
# The GNOME Shell extension through which the program sees the windows and takes hot keys there;
# the shell looks for system-wide extensions in this folder of every data directory.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/packaging/gnome-shell-extension/keyloom@ostrevin.example.org
    DESTINATION share/gnome-shell/extensions)
