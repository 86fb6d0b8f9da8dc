# A Debian package of everything `cmake --install` puts in place: cpack -G DEB in a Release build.
set(OSTREVIN_DOC share/doc/ostrevin)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${OSTREVIN_DOC})
# Debian wants the changelog compressed, with no name or time stamp in the gzip header.
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
execute_process(COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/changelog
    OUTPUT_FILE ${changelog} COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog)
install(FILES ${changelog} DESTINATION ${OSTREVIN_DOC})

# Each command's manual page, compressed the same way, and the AppStream description by which
# software centres list each program (its launchable is the program's desktop entry).
foreach(program keyloom dregmoor)
    set(page ${CMAKE_BINARY_DIR}/packaging/${program}.1.gz)
    execute_process(COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/docs/man/${program}.1
        OUTPUT_FILE ${page} COMMAND_ERROR_IS_FATAL ANY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/docs/man/${program}.1)
    install(FILES ${page} DESTINATION share/man/man1)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/metainfo/org.example.ostrevin.${program}.metainfo.xml
        DESTINATION share/metainfo)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostrevin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Ostrevin developers <dev@ostrevin.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "macro player and junk-file cleaner for the notification area")
# CPack indents every line and turns an empty one into the paragraph mark.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Keyloom types text and keys into the focused window, starts programs and
plays back recorded keyboard and mouse input. Macros run from system-wide
hot keys, from the appearance of a window with a given title, from desktop
shortcuts and from other macros. It needs an X11 session.

Dregmoor finds junk files by name patterns on chosen drives and in the
temporary, cache and cookie folders, and cleans them into the trash, by
hand or on a schedule.")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
