# Debian's compiler and linker flags, as dpkg-buildflags gives them with every hardening
# feature on (format checks, fortify, stack protector, relro, bindnow, PIE), for the package.
option(VEMO_DEBIAN_BUILDFLAGS "Compile and link with the flags of dpkg-buildflags" OFF)
if(VEMO_DEBIAN_BUILDFLAGS)
    find_program(VEMO_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                    ${VEMO_DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE vemo_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
            COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    string(APPEND CMAKE_CXX_FLAGS " ${vemo_CPPFLAGS} ${vemo_CXXFLAGS}")
    string(APPEND CMAKE_EXE_LINKER_FLAGS " ${vemo_LDFLAGS}")
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    include(CheckPIESupported)
    check_pie_supported()
endif()
