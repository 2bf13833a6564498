# Installation and the Debian package (cpack -G DEB): the program and the three command-line
# tools in /usr/bin, the menu entry, the icon in every size the menus ask for, the AppStream
# data, the manual pages (made from each tool's --help, so that they say the same) and the
# package's own documents. Tests, benchmarks and the static libraries are not installed.

if(TB_SANITIZE)
    return() # sanitized programs are for tests, not for a bench PC
endif()
set(_tb_programs tollbrook tollbrook-cli tollbrook-nmea tracker-sim)
foreach(_p IN LISTS _tb_programs)
    if(NOT TARGET ${_p})
        message(STATUS "Package: ${_p} is not built here (TB_GUI/TB_TOOLS off); no package")
        return()
    endif()
endforeach()

find_program(TB_RSVG_CONVERT rsvg-convert)
find_program(TB_GZIP gzip)
if(NOT TB_RSVG_CONVERT OR NOT TB_GZIP)
    message(WARNING "Package: rsvg-convert (librsvg2-bin) or gzip missing; no package "
                    "(scripts/setup.sh installs them)")
    return()
endif()

include(GNUInstallDirs)
set(_pkg_src ${PROJECT_SOURCE_DIR}/packaging)
set(_pkg_out ${PROJECT_BINARY_DIR}/packaging)

# Manual pages, one per program, made from the built program's --help and --version;
# packaging/man/NAME.roff adds what a manual page has and --help does not (files, see also).
# They carry the date of the latest change log entry, so a rebuild makes the same pages.
execute_process(
    COMMAND dpkg-parsechangelog --file ${_pkg_src}/changelog.Debian --show-field Timestamp
    OUTPUT_VARIABLE _tb_release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_pkg_src}/changelog.Debian)
set(_tb_man_names
    "tollbrook=bench tool for building and setting up GPS trackers"
    "tollbrook-cli=factory test and tracker settings from the command line"
    "tollbrook-nmea=decode a capture of NMEA 0183 receiver output"
    "tracker-sim=simulated GPS tracker on a pseudo-terminal")
set(_tb_generated "")
foreach(_entry IN LISTS _tb_man_names)
    string(REGEX REPLACE "=.*" "" _p "${_entry}")
    string(REGEX REPLACE "^[^=]*=" "" _name "${_entry}")
    set(_page ${_pkg_out}/man/${_p}.1)
    add_custom_command(
        OUTPUT ${_page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_pkg_out}/man
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${_tb_release_epoch}
                sh ${_pkg_src}/make-manpage.sh $<TARGET_FILE:${_p}> ${_name}
                ${_pkg_src}/man/${_p}.roff ${_page}
        COMMAND ${TB_GZIP} -9 -n -f ${_page}
        DEPENDS ${_p} ${_pkg_src}/make-manpage.sh ${_pkg_src}/man/${_p}.roff
                ${_pkg_src}/changelog.Debian
        COMMENT "Manual page of ${_p}"
        VERBATIM)
    list(APPEND _tb_generated ${_page}.gz)
    install(FILES ${_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The icon: drawn once as SVG, rendered for the fixed sizes of the hicolor theme.
set(_tb_icon ${_pkg_src}/${TB_APP_ID}.svg)
foreach(_size 16 22 24 32 48 64 128 256)
    set(_png ${_pkg_out}/icons/${_size}/${TB_APP_ID}.png)
    add_custom_command(
        OUTPUT ${_png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_pkg_out}/icons/${_size}
        COMMAND ${TB_RSVG_CONVERT} --width=${_size} --height=${_size} --format=png
                --output=${_png} ${_tb_icon}
        DEPENDS ${_tb_icon}
        COMMENT "Icon ${_size}x${_size}"
        VERBATIM)
    list(APPEND _tb_generated ${_png})
    install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
endforeach()
install(FILES ${_tb_icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The Debian change log, compressed as policy wants it.
set(_changelog ${_pkg_out}/changelog.Debian.gz)
add_custom_command(
    OUTPUT ${_changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_pkg_out}
    COMMAND sh -c "${TB_GZIP} -9 -n -c '${_pkg_src}/changelog.Debian' > '${_changelog}'"
    DEPENDS ${_pkg_src}/changelog.Debian
    COMMENT "Debian change log"
    VERBATIM)
list(APPEND _tb_generated ${_changelog})

add_custom_target(tb_package_files ALL DEPENDS ${_tb_generated})

install(TARGETS ${_tb_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_pkg_src}/${TB_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg_src}/${TB_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_pkg_src}/copyright ${_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tollbrook)
install(FILES ${_pkg_src}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME tollbrook)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tollbrook)
set(CPACK_PACKAGE_VENDOR quenhollow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bench tool for building and setting up GPS trackers")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${_pkg_src}/description.txt)
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.quenhollow.com/tollbrook")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tollbrook maintainers <tollbrook@quenhollow.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)

# Builds the package from this build's programs and checks it (contents, lintian, the tools
# run from an unpacked copy, the desktop entry and the AppStream data). Slow next to the unit
# tests, so under its own label; scripts/test.sh runs it after them.
if(TB_TESTS)
    add_test(NAME package
        COMMAND bash ${_pkg_src}/check-package.sh ${PROJECT_BINARY_DIR} ${PROJECT_VERSION}
                ${CPACK_DEBIAN_PACKAGE_RELEASE} ${TB_APP_ID})
    set_tests_properties(package PROPERTIES LABELS package TIMEOUT 900 RUN_SERIAL ON)
endif()
