# The body serialiser (decode, HTML parse, innerHTML) on pages as the service sends them.
add_executable(pellmark_bench_serialiser ${CMAKE_CURRENT_LIST_DIR}/bench_serialiser.cpp)
target_link_libraries(pellmark_bench_serialiser PRIVATE benchmark::benchmark pellmark_page)
