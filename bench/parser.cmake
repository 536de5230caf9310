# The intraday parser against the step-by-step walk it must match, on realistic pages.
add_executable(pellmark_bench_parser
    ${CMAKE_CURRENT_LIST_DIR}/bench_parser.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/ReferenceParser.cpp)
target_include_directories(pellmark_bench_parser PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(pellmark_bench_parser PRIVATE benchmark::benchmark pellmark_page)
