# The smd2bin and bin2smd subcommands, run as a user would.
add_test(NAME e2e.convert.cli
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/convert_cli.sh $<TARGET_FILE:vantorel-cli>)
set_tests_properties(e2e.convert.cli PROPERTIES TIMEOUT 120 LABELS e2e)
