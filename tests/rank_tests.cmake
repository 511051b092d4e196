add_executable(rank_tests
  core_main.cpp
  test_rank_cli.cpp
  test_rank_scanners.cpp
  test_rank_search.cpp)
target_link_libraries(rank_tests PRIVATE tessivo_core tessivo_fixture GTest::gtest)
target_compile_definitions(rank_tests PRIVATE TESSIVO_CLI="$<TARGET_FILE:tessivo-cli>")
add_dependencies(rank_tests tessivo-cli tessivo_data)
add_test(NAME rank_tests COMMAND rank_tests)
