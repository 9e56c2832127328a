# Installation for a Linux desktop, and the Debian package.
include(GNUInstallDirs)

set(VEMO_APP_ID it.palindra.Vemo)
install(TARGETS vemo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${VEMO_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${VEMO_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/padlock-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME ${VEMO_APP_ID}.png)
endforeach()

set(CPACK_PACKAGE_NAME vemo)
set(CPACK_PACKAGE_VENDOR Palindra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Criptatore di testi con parola chiave")
set(CPACK_PACKAGE_DESCRIPTION
    "Vemo cripta e decripta testi con una parola chiave: lo stesso pulsante, premuto di\nnuovo con la stessa chiave, restituisce il testo originale.")
set(CPACK_PACKAGE_CONTACT "Palindra <vemo@palindra.it>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The panes draw control codes with FreeMono's Control Pictures.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-freefont-ttf")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS hardinfo)
include(CPack)
