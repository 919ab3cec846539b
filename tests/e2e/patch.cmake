# The patch subcommand, run as a user would.
add_test(NAME e2e.patch.cli
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/patch_cli.sh $<TARGET_FILE:vantorel-cli>
          ${CMAKE_SOURCE_DIR}/lang/English.idi)
set_tests_properties(e2e.patch.cli PROPERTIES TIMEOUT 120 LABELS e2e)
