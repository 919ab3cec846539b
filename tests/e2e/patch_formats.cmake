# The patch, makepatch and patchinfo commands over IPS, BPS and UPS patches, run as a user
# runs them; the engine's makers supply patches to apply and apply those made.
find_package(nlohmann_json CONFIG REQUIRED)
add_executable(test_e2e_patch_cli ${CMAKE_CURRENT_LIST_DIR}/patch_apply_cli_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/makepatch_cli_test.cpp)
target_link_libraries(test_e2e_patch_cli PRIVATE vantorel_engine GTest::gtest GTest::gtest_main
  nlohmann_json::nlohmann_json)
target_include_directories(test_e2e_patch_cli PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(test_e2e_patch_cli PRIVATE VANTOREL_CLI_PATH="$<TARGET_FILE:vantorel-cli>")
add_dependencies(test_e2e_patch_cli vantorel-cli)
gtest_discover_tests(test_e2e_patch_cli TEST_PREFIX e2e. DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 LABELS e2e)
