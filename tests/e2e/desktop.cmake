# The bash completion, driven as bash drives it and checked against the program's own help.
add_test(NAME e2e.completion
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/completion_test.sh $<TARGET_FILE:vantorel-cli>
          ${CMAKE_SOURCE_DIR}/resources/completion/vantorel-cli)
# The AppStream metainfo where cmake/install.cmake makes it, checked and validated.
add_test(NAME e2e.metainfo
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/metainfo_test.sh
          ${CMAKE_BINARY_DIR}/resources/org.vantorel.vantorel.metainfo.xml ${CMAKE_SOURCE_DIR} ${PROJECT_VERSION})
set_tests_properties(e2e.completion e2e.metainfo PROPERTIES TIMEOUT 60 LABELS e2e)
set_tests_properties(e2e.metainfo PROPERTIES SKIP_RETURN_CODE 77)
