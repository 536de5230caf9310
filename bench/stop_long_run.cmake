# pellmark_bench_stop_long_run: Stop on a 22-year run in the real window. Run by hand.
add_executable(pellmark_bench_stop_long_run ${CMAKE_CURRENT_LIST_DIR}/stop_long_run.cpp)
target_link_libraries(pellmark_bench_stop_long_run PRIVATE pellmark_gui)
