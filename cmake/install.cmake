# The installed layout: programs in bin/, language files in share/vantorel/ (found there
# relative to the program), and the desktop entry, icons, MIME types, AppStream metainfo,
# manual pages and bash completion where the desktop, man(1) and bash look for them.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/lang/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vantorel
        FILES_MATCHING PATTERN "*.idi")
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/vantorel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/vantorel-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME vantorel.xml)
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/vantorel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/man/vantorel.1 ${CMAKE_SOURCE_DIR}/man/vantorel-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Software centres read the metainfo; its release is the project's version.
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/org.vantorel.vantorel.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/resources/org.vantorel.vantorel.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/resources/org.vantorel.vantorel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# bash-completion's own folder, taken relative to its prefix so that an install under any
# prefix (and the package, under /usr) puts the script where bash looks beneath it.
set(completion_dir "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_get_variable(VANTOREL_BC_DIR bash-completion completionsdir)
  pkg_get_variable(VANTOREL_BC_PREFIX bash-completion prefix)
  if(VANTOREL_BC_DIR AND VANTOREL_BC_PREFIX AND VANTOREL_BC_DIR MATCHES "^${VANTOREL_BC_PREFIX}/")
    file(RELATIVE_PATH completion_dir "${VANTOREL_BC_PREFIX}" "${VANTOREL_BC_DIR}")
  endif()
endif()
set(VANTOREL_COMPLETION_DIR "${completion_dir}" CACHE STRING
    "Where the bash completion of vantorel-cli is installed, relative to the prefix")
install(FILES ${CMAKE_SOURCE_DIR}/resources/completion/vantorel-cli DESTINATION ${VANTOREL_COMPLETION_DIR})

if(VANTOREL_BUILD_GUI)
  # PNG sizes of the icon, drawn from the SVG at build time.
  add_executable(render_icon ${CMAKE_SOURCE_DIR}/tools/render_icon.cpp)
  target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)
  set_target_properties(render_icon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
  set(VANTOREL_ICON_PNGS)
  foreach(size 16 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}/vantorel.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
      COMMAND render_icon ${CMAKE_SOURCE_DIR}/resources/desktop/vantorel.svg ${size} ${png}
      DEPENDS render_icon ${CMAKE_SOURCE_DIR}/resources/desktop/vantorel.svg
      COMMENT "Rendering the ${size}px icon")
    list(APPEND VANTOREL_ICON_PNGS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(vantorel_icons ALL DEPENDS ${VANTOREL_ICON_PNGS})
endif()

set(CPACK_PACKAGE_NAME "vantorel")
set(CPACK_PACKAGE_VENDOR "Vantorel")
set(CPACK_PACKAGE_CONTACT "Vantorel developers <dev@vantorel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tools for Sega Genesis / Mega Drive cartridge images")
set(CPACK_PACKAGE_DESCRIPTION "Vantorel converts SMD and BIN cartridge images in batches, edits and fixes
 cartridge headers and checksums, applies IPS, BPS and UPS patches, makes IPS and BPS
 patches, identifies images (CRC32, MD5, SHA-1) and starts emulators, from one window or
 from the vantorel-cli command line. Images may sit in .zip, .7z or .gz archives.")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "games")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opened at run time, so the scan of linked libraries does not see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libarchive13, libssl3")
# Qt's own dialogs in the user's language come from qt6-translations-l10n.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont, bash-completion, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "blastem")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
include(CPack)
