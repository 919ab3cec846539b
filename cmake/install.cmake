# The installed layout: programs in bin/, language files in share/vantorel/ (found there
# relative to the program), and the desktop entry, icons, MIME types and manual pages
# where the desktop and man(1) look for them.
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
 cartridge headers and checksums, applies IPS patches and starts emulators, from one
 window or from the vantorel-cli command line.")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "games")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "blastem")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
include(CPack)
