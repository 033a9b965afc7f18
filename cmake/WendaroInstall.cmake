# Where `cmake --install` puts the programs and everything a desktop expects beside them.
include(GNUInstallDirs)

set(WENDARO_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
set(WENDARO_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(WENDARO_APP_ID org.wendaro.Wendaro)

# The release notes of the metainfo and of the Debian changelog are written by hand; a version
# bump without them would ship notes that describe another release.
function(wendaro_require_release_entry file pattern)
  file(READ ${file} text)
  string(REGEX MATCH "${pattern}" found "${text}")
  if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "${file}: the newest release entry is '${CMAKE_MATCH_1}', not "
                        "${PROJECT_VERSION}; add an entry for the new version.")
  endif()
endfunction()
wendaro_require_release_entry(${WENDARO_DATA_DIR}/${WENDARO_APP_ID}.metainfo.xml
                              "<release version=\"([^\"]+)\"")
wendaro_require_release_entry(${WENDARO_PACKAGING_DIR}/changelog "^wendaro \\(([^)]+)\\)")

install(TARGETS wendaro-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The desktop program is built only where Qt is present.
if(TARGET wendaro)
  install(TARGETS wendaro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${WENDARO_DATA_DIR}/${WENDARO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${WENDARO_DATA_DIR}/${WENDARO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Icons: the SVG for every size, PNGs rendered from it for desktops and menus that want pixels.
set(WENDARO_ICON_SVG ${WENDARO_DATA_DIR}/icons/wendaro.svg)
install(FILES ${WENDARO_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(WENDARO_RSVG_CONVERT rsvg-convert)
if(WENDARO_RSVG_CONVERT)
  set(icon_pngs)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/wendaro.png)
    add_custom_command(
      OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${WENDARO_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${WENDARO_ICON_SVG}
      DEPENDS ${WENDARO_ICON_SVG}
      COMMENT "Rendering the ${size}x${size} icon"
      VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(wendaro_icons ALL DEPENDS ${icon_pngs})
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: only the SVG icon will be installed")
endif()

# Man pages: roff sources with the version filled in, compressed the way Debian wants them.
set(man_pages)
foreach(page wendaro.1 wendaro-cli.1)
  configure_file(${WENDARO_PACKAGING_DIR}/man/${page} ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
    COMMAND gzip -9nkf ${page}
    DEPENDS ${CMAKE_BINARY_DIR}/man/${page}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/man
    VERBATIM)
  list(APPEND man_pages ${CMAKE_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(wendaro_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${WENDARO_PACKAGING_DIR}/completion/wendaro-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The unit names the installed binary and the firewall profile goes to /etc for the prefix /usr,
# so both are placed when the install prefix is known: `cmake --install --prefix` may change it.
# systemd looks for user units below the prefix's lib/, never below a multiarch library folder.
install(CODE "
  set(WENDARO_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  configure_file(\"${WENDARO_PACKAGING_DIR}/wendaro-serve.service.in\"
                 \"${CMAKE_BINARY_DIR}/packaging/wendaro-serve.service\" @ONLY)
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\" TYPE FILE
       FILES \"${CMAKE_BINARY_DIR}/packaging/wendaro-serve.service\")
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(wendaro_etc /etc)
  else()
    set(wendaro_etc \"\${CMAKE_INSTALL_PREFIX}/etc\")
  endif()
  file(INSTALL DESTINATION \"\${wendaro_etc}/ufw/applications.d\" TYPE FILE RENAME wendaro
       FILES \"${WENDARO_PACKAGING_DIR}/wendaro.ufw\")
")

configure_file(${WENDARO_PACKAGING_DIR}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog COPYONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9nkf changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/packaging
  VERBATIM)
add_custom_target(wendaro_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${WENDARO_PACKAGING_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Translations and help have build rules of their own; these rules install what they leave in
# the build tree: catalogues as locale/<language>/LC_MESSAGES/wendaro.mo, help pages below help/.
install(DIRECTORY ${CMAKE_BINARY_DIR}/locale/ DESTINATION ${CMAKE_INSTALL_LOCALEDIR} OPTIONAL
        FILES_MATCHING PATTERN "wendaro.mo")
# help/ is also the help folder's CMake build folder: its bookkeeping stays behind.
install(DIRECTORY ${CMAKE_BINARY_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/wendaro/help
        OPTIONAL PATTERN CMakeFiles EXCLUDE PATTERN "*.cmake" EXCLUDE)
