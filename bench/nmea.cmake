# Throughput of the framer and decoders (no position handshake) over receiver captures.
add_executable(nmea_bench ${CMAKE_CURRENT_LIST_DIR}/nmea_bench.cpp)
target_link_libraries(nmea_bench PRIVATE tb_nmea benchmark::benchmark benchmark::benchmark_main)
target_compile_definitions(nmea_bench PRIVATE TB_CORPUS_DIR="${TB_CORPUS_DIR}"
                                              TB_TEST_DATA_DIR="${TB_TEST_DATA_DIR}")
