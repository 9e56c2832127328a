# The Windows program given out: a zip and an installer, each with vemo.exe and LEGGIMI.txt.

set(VEMO_WINDOWS_PACKAGING ${PROJECT_SOURCE_DIR}/packaging/windows)
set(VEMO_STAGE ${PROJECT_BINARY_DIR}/windows-package)
set(VEMO_ZIP_FILE ${PROJECT_BINARY_DIR}/vemo-${PROJECT_VERSION}-windows.zip)
set(VEMO_SETUP_FILE ${PROJECT_BINARY_DIR}/vemo-${PROJECT_VERSION}-setup.exe)

# LEGGIMI.txt is kept in UTF-8; the copy given out has CRLF line ends and Windows-1252, which
# every Notepad reads.
configure_file(${VEMO_WINDOWS_PACKAGING}/LEGGIMI.txt.in LEGGIMI-utf8.txt @ONLY NEWLINE_STYLE CRLF)
find_program(VEMO_ICONV iconv REQUIRED)
add_custom_command(OUTPUT ${VEMO_STAGE}/LEGGIMI.txt
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VEMO_STAGE}
    COMMAND ${VEMO_ICONV} -f UTF-8 -t WINDOWS-1252 -o ${VEMO_STAGE}/LEGGIMI.txt
            ${CMAKE_CURRENT_BINARY_DIR}/LEGGIMI-utf8.txt
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/LEGGIMI-utf8.txt
    VERBATIM)
# The build tree keeps the symbols; the copy given out goes without them.
add_custom_command(OUTPUT ${VEMO_STAGE}/vemo.exe
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VEMO_STAGE}
    COMMAND ${CMAKE_STRIP} --strip-all -o ${VEMO_STAGE}/vemo.exe $<TARGET_FILE:vemo>
    DEPENDS vemo
    VERBATIM)
set(VEMO_PACKAGE_FILES ${VEMO_STAGE}/vemo.exe ${VEMO_STAGE}/LEGGIMI.txt)

# The files at the zip's top, with a fixed date: the same files give the same zip.
add_custom_command(OUTPUT ${VEMO_ZIP_FILE}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${VEMO_ZIP_FILE} --format=zip --mtime=2026-01-01
            vemo.exe LEGGIMI.txt
    WORKING_DIRECTORY ${VEMO_STAGE}
    DEPENDS ${VEMO_PACKAGE_FILES}
    VERBATIM)

find_program(VEMO_MAKENSIS makensis REQUIRED)
set(VEMO_ICON ${PROJECT_SOURCE_DIR}/resources/pictures/vemo.ico)
configure_file(${VEMO_WINDOWS_PACKAGING}/vemo.nsi.in vemo.nsi @ONLY)
add_custom_command(OUTPUT ${VEMO_SETUP_FILE}
    COMMAND ${VEMO_MAKENSIS} -V2 -NOCD -INPUTCHARSET UTF8 ${CMAKE_CURRENT_BINARY_DIR}/vemo.nsi
    DEPENDS ${VEMO_PACKAGE_FILES} ${CMAKE_CURRENT_BINARY_DIR}/vemo.nsi ${VEMO_ICON}
    VERBATIM)
add_custom_target(windows_package ALL DEPENDS ${VEMO_ZIP_FILE} ${VEMO_SETUP_FILE})

if(VEMO_BUILD_TESTS)
    add_test(NAME windows_package_test
        COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PROJECT_BINARY_DIR}/wineprefix WINEDEBUG=-all
                WINEDLLOVERRIDES=winemenubuilder.exe=d
                bash ${PROJECT_SOURCE_DIR}/tests/windows_package_test.sh ${VEMO_ZIP_FILE}
                ${VEMO_SETUP_FILE})
    set_tests_properties(windows_package_test PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
endif()
