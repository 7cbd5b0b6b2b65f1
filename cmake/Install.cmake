# Installing Korvina as a desktop program, and packaging it for Debian.
#
#   cmake --install build --prefix P   puts the program in P/bin, the files a new DataFolder
#                                      receives in P/share/korvina, and the menu entry, icon,
#                                      AppStream metadata and manual page where desktops look, and
#                                      the licence and history where Debian wants them.
#   cpack --config build/CPackConfig.cmake   builds korvina_<version>_<arch>.deb (scripts/package.sh)
include(GNUInstallDirs)

set(KORVINA_APP_ID org.korvina.Korvina)
set(KORVINA_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/resources/desktop)

install(TARGETS korvina RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The whole folders, so that every report layout and template added to them is installed too.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/Bin ${CMAKE_SOURCE_DIR}/resources/Docs
        DESTINATION ${CMAKE_INSTALL_DATADIR}/korvina)
install(FILES ${KORVINA_DESKTOP_DIR}/${KORVINA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KORVINA_DESKTOP_DIR}/${KORVINA_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${KORVINA_DESKTOP_DIR}/${KORVINA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/korvina.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Bitmap icons for the desktops and menus that do not draw SVG, rendered from the one drawing.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(KORVINA_ICONS)
foreach(size 16 24 32 48 64 128 256)
  set(icon ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${KORVINA_APP_ID}.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${icon} ${KORVINA_DESKTOP_DIR}/${KORVINA_APP_ID}.svg
    DEPENDS ${KORVINA_DESKTOP_DIR}/${KORVINA_APP_ID}.svg)
  list(APPEND KORVINA_ICONS ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(korvina_icons DEPENDS ${KORVINA_ICONS})
add_dependencies(korvina korvina_icons)

# What Debian asks of every package: the licence and the history, compressed.
set(KORVINA_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${KORVINA_CHANGELOG}
  COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/resources/debian/changelog > ${KORVINA_CHANGELOG}
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/debian/changelog)
add_custom_target(korvina_changelog DEPENDS ${KORVINA_CHANGELOG})
add_dependencies(korvina korvina_changelog)
install(FILES ${CMAKE_SOURCE_DIR}/resources/debian/copyright ${KORVINA_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvina)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvina)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Korvina developers")
set(CPACK_PACKAGE_CONTACT "The Korvina developers <maintainers@korvina.org>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://korvina.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "customer file with newsletter, letter and survey campaigns")
set(CPACK_PACKAGE_DESCRIPTION "Korvina keeps a small office's customers and mails them newsletters\n\
with merge tags, HTML letters and surveys, one personal e-mail each, through\n\
the local mail system or an SMTP server. Reports, spreadsheet import, export\n\
and find and replace complete it. The data lives in one encrypted database\n\
file with a daily archive copy.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# Libraries the program links against are found by dpkg-shlibdeps; the SVG icon engine is a
# plugin that Qt loads at run time, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Reports and screens show Chinese, Japanese, Korean, Arabic and Hebrew names with these fonts.
# Mail goes out over SMTP by the program itself: a local mail server is only one choice.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-noto-cjk, fonts-noto-core | fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "default-mta | mail-transport-agent")
include(CPack)
