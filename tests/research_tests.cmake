add_executable(research_tests
  ${CMAKE_CURRENT_LIST_DIR}/core_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_research_baidu_index.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_research_related_search.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_research_density.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_research_cli.cpp)
target_link_libraries(research_tests PRIVATE tessivo_core tessivo_fixture GTest::gtest)
target_compile_definitions(research_tests PRIVATE TESSIVO_CLI="$<TARGET_FILE:tessivo-cli>")
add_dependencies(research_tests tessivo-cli tessivo_data)
add_test(NAME research_tests COMMAND research_tests)
