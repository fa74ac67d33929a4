# What `cmake --install` puts where (GNUInstallDirs), and the Debian package
# `cpack -G DEB` builds from the same tree. Generated files (the compressed
# manual pages and changelog, the AppStream file with its release) are made in
# the build folder.
include(GNUInstallDirs)

set(MK843NB_MAINTAINER "The MK843_NB developers <support@mk843nb.example.com>")
set(MK843NB_HOMEPAGE "https://www.mk843nb.example.com/")
execute_process(
  COMMAND date --utc --rfc-email --date "${MK843NB_RELEASE_DATE_ISO} 12:00"
  OUTPUT_VARIABLE MK843NB_RELEASE_DATE_RFC2822
  OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)

configure_file(${packaging}/com.example.mk843nb.metainfo.xml.in
               ${generated}/com.example.mk843nb.metainfo.xml @ONLY)
configure_file(${packaging}/changelog.in ${generated}/changelog @ONLY)

# Manual pages get the version and date in their title line; they and the
# changelog are installed compressed, as Debian wants them. -n keeps the name
# and time out of the archive so the package is reproducible.
find_program(MK843NB_GZIP gzip REQUIRED)
set(compressed)
foreach(page mk843nb.1 mk843nb-cli.1 mk843nb-sim.1)
  set(source ${generated}/man/${page})
  if(page STREQUAL "mk843nb-cli.1")
    # Its list of field names comes from the control catalogue, at build time.
    configure_file(${PROJECT_SOURCE_DIR}/doc/man/${page}.in ${source}.in @ONLY)
    add_custom_command(
      OUTPUT ${source}
      COMMAND mk843nb-man-fields ${source}.in ${source}
      DEPENDS mk843nb-man-fields ${source}.in
      VERBATIM)
  else()
    configure_file(${PROJECT_SOURCE_DIR}/doc/man/${page}.in ${source} @ONLY)
  endif()
  add_custom_command(
    OUTPUT ${generated}/${page}.gz
    COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$2\"" ${MK843NB_GZIP} ${source} ${generated}/${page}.gz
    DEPENDS ${source}
    VERBATIM)
  list(APPEND compressed ${generated}/${page}.gz)
endforeach()
add_custom_command(
  OUTPUT ${generated}/changelog.gz
  COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$2\"" ${MK843NB_GZIP} ${generated}/changelog ${generated}/changelog.gz
  DEPENDS ${generated}/changelog
  VERBATIM)
add_custom_target(mk843nb_packaging_files ALL DEPENDS ${compressed} ${generated}/changelog.gz)

install(TARGETS mk843nb mk843nb-cli mk843nb-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS mk843nb-cli-media RUNTIME DESTINATION ${MK843NB_MEDIA_DIR})
install(FILES ${packaging}/mk843nb.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${MK843NB_ICON_SVG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN LISTS MK843NB_ICON_SIZES)
  install(FILES ${MK843NB_ICON_DIR}/${size}x${size}/mk843nb.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${generated}/com.example.mk843nb.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The udev rule is an example for the administrator, never installed into the
# system's rules: see README "Serial permissions".
install(FILES ${packaging}/60-mk843nb.rules ${packaging}/copyright ${generated}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mk843nb)
set(CPACK_PACKAGE_VENDOR "The MK843_NB developers")
set(CPACK_PACKAGE_CONTACT "${MK843NB_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${MK843NB_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programming software for two-tone sequential voice pagers")
# Debian wants the long description in lines of less than 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "mk843nb reads the settings of a two-tone sequential voice pager through a"
  "programmer board on a serial port, lets the user change them in one window"
  "under the pager's entry rules, writes them back and verifies them. Settings"
  "are kept in table files."
  ""
  "The package also holds mk843nb-cli, the same rules and link for scripts, and"
  "mk843nb-sim, a programmer board with a pager on a pseudo-terminal for use"
  "without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MK843NB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins and its SQLite driver (the inventory) at run
# time, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
