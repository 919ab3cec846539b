# --help and --version answer without a display: with xcb forced and no DISPLAY, any attempt
# to open a window would abort the program.
if(VANTOREL_BUILD_GUI AND TARGET vantorel)
  add_test(NAME e2e.shell.version COMMAND vantorel --version)
  add_test(NAME e2e.shell.help COMMAND vantorel --help)
  set_tests_properties(e2e.shell.version PROPERTIES PASS_REGULAR_EXPRESSION "^vantorel ${PROJECT_VERSION}\n$")
  set_tests_properties(e2e.shell.help PROPERTIES PASS_REGULAR_EXPRESSION "Usage: vantorel .*/h \\[ROM\\]")
  set_tests_properties(e2e.shell.version e2e.shell.help PROPERTIES
    TIMEOUT 30 LABELS e2e
    ENVIRONMENT "DISPLAY=;WAYLAND_DISPLAY=;QT_QPA_PLATFORM=xcb")
endif()
