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
# the shell looks for system-wide extensions in this folder of every data directory. GNOME Shell 45
# and later load extensions only as ES modules: that form is made from the one for 43 and 44, and
# the package carries the form for the shell it is built for.
set(GNOME_EXTENSION_FORMS ${CMAKE_SOURCE_DIR}/packaging/gnome-shell-extension)
set(GNOME_EXTENSION_SOURCE ${GNOME_EXTENSION_FORMS}/keyloom@ostrevin.example.org)
set(GNOME_EXTENSION_MODULES
    ${CMAKE_BINARY_DIR}/gnome-shell-extension-modules/keyloom@ostrevin.example.org)
add_custom_command(
    OUTPUT ${GNOME_EXTENSION_MODULES}/extension.js ${GNOME_EXTENSION_MODULES}/metadata.json
    COMMAND ${CMAKE_COMMAND} -E make_directory ${GNOME_EXTENSION_MODULES}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${GNOME_EXTENSION_SOURCE} -DOUTPUT=${GNOME_EXTENSION_MODULES}
        -P ${GNOME_EXTENSION_FORMS}/modules.cmake
    DEPENDS ${GNOME_EXTENSION_SOURCE}/extension.js ${GNOME_EXTENSION_SOURCE}/metadata.json
        ${GNOME_EXTENSION_FORMS}/modules.cmake)
add_custom_target(gnome_shell_extension_modules ALL
    DEPENDS ${GNOME_EXTENSION_MODULES}/extension.js ${GNOME_EXTENSION_MODULES}/metadata.json)
if(NOT DEFINED KEYLOOM_GNOME_SHELL_MODULES)
    execute_process(COMMAND gnome-shell --version OUTPUT_VARIABLE shell_version ERROR_QUIET
        TIMEOUT 10)
    string(REGEX MATCH "[0-9]+" shell_major "${shell_version}")
    set(modules OFF)
    if(shell_major AND shell_major GREATER_EQUAL 45)
        set(modules ON)
    endif()
    set(KEYLOOM_GNOME_SHELL_MODULES ${modules} CACHE BOOL
        "Install the GNOME Shell extension as ES modules (GNOME Shell 45 and later)")
endif()
if(KEYLOOM_GNOME_SHELL_MODULES)
    install(DIRECTORY ${GNOME_EXTENSION_MODULES} DESTINATION share/gnome-shell/extensions)
else()
    install(DIRECTORY ${GNOME_EXTENSION_SOURCE} DESTINATION share/gnome-shell/extensions)
endif()
add_test(NAME gnome_shell_extension_modules
    COMMAND /usr/bin/python3 ${GNOME_EXTENSION_FORMS}/modules_test.py ${GNOME_EXTENSION_SOURCE}
        ${GNOME_EXTENSION_MODULES})
set_tests_properties(gnome_shell_extension_modules PROPERTIES LABELS unit SKIP_RETURN_CODE 77)
