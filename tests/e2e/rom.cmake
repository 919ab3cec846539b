# The header and checksum subcommands run as a user runs them: a program that builds
# images in a temporary folder and spawns vantorel-cli on them.
# The JSON output is read back as JSON rather than matched as text.
find_package(nlohmann_json CONFIG REQUIRED)
add_executable(test_e2e_rom_cli ${CMAKE_CURRENT_LIST_DIR}/rom_cli_test.cpp)
target_link_libraries(test_e2e_rom_cli PRIVATE vantorel_engine GTest::gtest GTest::gtest_main
  nlohmann_json::nlohmann_json)
target_compile_definitions(test_e2e_rom_cli PRIVATE VANTOREL_CLI_PATH="$<TARGET_FILE:vantorel-cli>")
add_dependencies(test_e2e_rom_cli vantorel-cli)
gtest_discover_tests(test_e2e_rom_cli TEST_PREFIX e2e. DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 LABELS e2e)
