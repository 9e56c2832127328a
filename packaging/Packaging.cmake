# Installation for a Linux desktop, and the Debian package.
include(GNUInstallDirs)

set(VEMO_APP_ID it.palindra.Vemo)
set(VEMO_DEB_RELEASE 1)
set(VEMO_DEB_VERSION ${PROJECT_VERSION}-${VEMO_DEB_RELEASE})
set(VEMO_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/vemo)
set(VEMO_PACKAGING ${CMAKE_CURRENT_SOURCE_DIR}/packaging)

# The program finds Qt in the system's library directories, never next to itself.
set_target_properties(vemo PROPERTIES INSTALL_RPATH "")
install(TARGETS vemo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Stripped (CPACK_STRIP_FILES), and without the compiler's identification, as Debian's own
# stripping leaves programs. The debug symbols stay in the build tree's copy.
install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
    --remove-section=.note \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vemo\"
    COMMAND_ERROR_IS_FATAL ANY)")
install(FILES ${VEMO_PACKAGING}/${VEMO_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${VEMO_PACKAGING}/${VEMO_APP_ID}.metainfo.xml.in ${VEMO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${VEMO_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/padlock-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME ${VEMO_APP_ID}.png)
endforeach()
install(FILES ${VEMO_PACKAGING}/screenshot.png DESTINATION ${VEMO_DOCDIR})

# Manual pages and changelogs, compressed as Debian wants them: gzip -9, no name or time.
set(VEMO_VERSION ${PROJECT_VERSION})
configure_file(${VEMO_PACKAGING}/man/vemo.1 man/en/vemo.1 @ONLY)
configure_file(${VEMO_PACKAGING}/man/vemo.it.1 man/it/vemo.1 @ONLY)
configure_file(${VEMO_PACKAGING}/changelog.Debian.in changelog.Debian @ONLY)
configure_file(${VEMO_PACKAGING}/changelog changelog COPYONLY)
set(VEMO_GZIPPED)
foreach(file man/en/vemo.1 man/it/vemo.1 changelog.Debian changelog)
    add_custom_command(OUTPUT ${file}.gz
        COMMAND gzip -9 -n -c ${file} > ${file}.gz
        DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${file}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        VERBATIM)
    list(APPEND VEMO_GZIPPED ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz)
endforeach()
add_custom_target(vemo_docs ALL DEPENDS ${VEMO_GZIPPED})
set(out ${CMAKE_CURRENT_BINARY_DIR})
install(FILES ${out}/man/en/vemo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${out}/man/it/vemo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/it/man1)
install(FILES ${VEMO_PACKAGING}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
    RENAME vemo)
install(FILES ${VEMO_PACKAGING}/copyright ${out}/changelog.Debian.gz ${out}/changelog.gz
    DESTINATION ${VEMO_DOCDIR})

set(CPACK_PACKAGE_NAME vemo)
set(CPACK_PACKAGE_VENDOR Palindra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VEMO_DEB_RELEASE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "text encryptor with a key word")
set(CPACK_PACKAGE_DESCRIPTION [=[
Vemo scrambles a text with a key word: the document pane is replaced by its
keyed exclusive-or transform, and the same button, pressed again with the
same key, gives the text back. Documents and keys are loaded from text files,
saved and printed; every character is kept exactly.

The interface is in Italian.]=])
set(CPACK_PACKAGE_CONTACT "Palindra <vemo@palindra.it>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Beside the libraries dpkg-shlibdeps finds: the panes draw control codes with FreeMono's
# Control Pictures; Qt's own dialogs speak Italian; Qt runs natively on Wayland.
set(VEMO_DEB_DEPENDS
    fonts-dejavu-core
    fonts-freefont-ttf
    qt6-translations-l10n
    qt6-wayland)
list(JOIN VEMO_DEB_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# Any one of the system information tools the about box can start.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "hardinfo | kinfocenter | libxfce4ui-utils | lshw-gtk | cpu-x | mate-system-monitor | gnome-system-monitor")
include(CPack)
