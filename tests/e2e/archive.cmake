# Images inside archives made by zip, 7z and gzip (each part skips when its tool is
# missing), and the info command, run as a user runs them.
find_package(nlohmann_json CONFIG REQUIRED)
add_executable(test_e2e_archive_cli ${CMAKE_CURRENT_LIST_DIR}/archive_cli_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/info_cli_test.cpp)
target_link_libraries(test_e2e_archive_cli PRIVATE vantorel_engine GTest::gtest GTest::gtest_main
  nlohmann_json::nlohmann_json)
target_compile_definitions(test_e2e_archive_cli PRIVATE VANTOREL_CLI_PATH="$<TARGET_FILE:vantorel-cli>")
add_dependencies(test_e2e_archive_cli vantorel-cli)
gtest_discover_tests(test_e2e_archive_cli TEST_PREFIX e2e. DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 LABELS e2e)
