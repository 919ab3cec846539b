# Stand-in emulators for the launcher's end-to-end tests, and the by-keys test that needs
# an X server (run under xvfb-run).
add_executable(e2e_record_args ${CMAKE_CURRENT_LIST_DIR}/record_args.cpp)
if(VANTOREL_BUILD_GUI)
  add_executable(e2e_keys_target ${CMAKE_CURRENT_LIST_DIR}/keys_target.cpp)
  target_link_libraries(e2e_keys_target PRIVATE Qt6::Widgets)
  if(TARGET test_platform)
    add_dependencies(test_platform e2e_record_args e2e_keys_target)
    find_program(XVFB_RUN xvfb-run)
    if(XVFB_RUN)
      add_test(NAME e2e.launcher.keys
        COMMAND ${XVFB_RUN} -a $<TARGET_FILE:test_platform> --gtest_filter=*KeysLaunch*)
      set_tests_properties(e2e.launcher.keys PROPERTIES
        TIMEOUT 180 LABELS e2e
        ENVIRONMENT "VANTOREL_REQUIRE_DISPLAY=1;QT_QPA_PLATFORM=xcb")
    else()
      add_test(NAME e2e.launcher.keys
        COMMAND sh -c "echo 'xvfb-run not found: the by-keys launch test needs it (Debian package xvfb)'; exit 77")
      set_tests_properties(e2e.launcher.keys PROPERTIES SKIP_RETURN_CODE 77 LABELS e2e)
    endif()
  endif()
endif()

# The launcher window's tests start the recording stand-in too.
if(TARGET test_gui_launcher_launcher_window)
  add_dependencies(test_gui_launcher_launcher_window e2e_record_args)
endif()
