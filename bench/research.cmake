add_executable(bench_research ${CMAKE_CURRENT_LIST_DIR}/bench_research.cpp)
target_link_libraries(bench_research PRIVATE tessivo_core benchmark::benchmark)

add_executable(bench_density_file ${CMAKE_CURRENT_LIST_DIR}/bench_density_file.cpp)
target_link_libraries(bench_density_file PRIVATE tessivo_core)
