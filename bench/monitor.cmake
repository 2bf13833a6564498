# The receive pane under a steady stream: 32 KB chunks into a pane that is full already.
if(TB_GUI AND TARGET tb_monitor)
    add_executable(bench_monitor ${CMAKE_CURRENT_SOURCE_DIR}/monitor_bench.cpp)
    target_link_libraries(bench_monitor PRIVATE tb_monitor benchmark::benchmark)
endif()
