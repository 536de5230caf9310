# pellmark_bench_fetch: the fetch's own cost per day against the local quote service, and its CPU use
# while waiting for a slow answer. Run by hand: build-dir/bench/pellmark_bench_fetch
add_executable(pellmark_bench_fetch
    ${CMAKE_CURRENT_LIST_DIR}/fetch_bench.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/LocalService.cpp)
target_include_directories(pellmark_bench_fetch PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_compile_definitions(pellmark_bench_fetch PRIVATE
    PELLMARK_QUOTE_SERVICE_PATH="$<TARGET_FILE:pellmark-quote-service>"
    PELLMARK_PAGE_BODY_PATH="$<TARGET_FILE:pellmark-page-body>")
target_link_libraries(pellmark_bench_fetch PRIVATE pellmark_net benchmark::benchmark)
add_dependencies(pellmark_bench_fetch pellmark-quote-service)
