# Pictures of the about box and the credits show, taken by scripts/screenshots_about.sh under
# Xvfb; the smoke test runs the same program offscreen.
if(VANTOREL_BUILD_GUI AND TARGET vantorel_gui_about)
  add_executable(e2e_about_shots ${CMAKE_CURRENT_LIST_DIR}/about_shots.cpp)
  target_link_libraries(e2e_about_shots PRIVATE vantorel_gui_base vantorel_gui_about)
  add_dependencies(e2e_about_shots vantorel_lang)
  add_test(NAME e2e.about.shots COMMAND e2e_about_shots ${CMAKE_BINARY_DIR}/shots-test)
  set_tests_properties(e2e.about.shots PROPERTIES
    TIMEOUT 60 LABELS e2e
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TEMP=${CMAKE_BINARY_DIR}")
endif()
