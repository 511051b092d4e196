add_executable(bench_rank ${CMAKE_CURRENT_LIST_DIR}/bench_rank.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp)
target_link_libraries(bench_rank PRIVATE tessivo_core tessivo_fixture benchmark::benchmark)
