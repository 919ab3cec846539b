# The installed tree, checked from a scratch prefix.
if(VANTOREL_BUILD_GUI)
  add_test(NAME e2e.install
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e.install PROPERTIES TIMEOUT 300 LABELS e2e)
endif()
