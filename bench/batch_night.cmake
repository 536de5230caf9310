# pellmark_bench_batch_night: pellmark-batch with a shorter pause, for
# bench/requests_per_day.sh. Run by hand.
add_executable(pellmark_bench_batch_night ${CMAKE_CURRENT_LIST_DIR}/batch_night.cpp)
target_link_libraries(pellmark_bench_batch_night PRIVATE pellmark_batch)
