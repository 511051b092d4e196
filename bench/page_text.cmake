add_executable(bench_page_text ${CMAKE_CURRENT_LIST_DIR}/bench_page_text.cpp)
target_link_libraries(bench_page_text PRIVATE tessivo_core)

add_executable(bench_fetch ${CMAKE_CURRENT_LIST_DIR}/bench_fetch.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp)
target_link_libraries(bench_fetch PRIVATE tessivo_core tessivo_fixture CURL::libcurl benchmark::benchmark)

add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/bench_startup.cpp)
target_link_libraries(bench_startup PRIVATE tessivo_app)
add_dependencies(bench_startup tessivo_data)
