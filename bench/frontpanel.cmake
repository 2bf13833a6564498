# Paint of the front panel page at full-HD size with a busy sky.
if(TB_GUI AND TARGET tb_displays)
    add_executable(bench_frontpanel ${CMAKE_CURRENT_SOURCE_DIR}/frontpanel_bench.cpp)
    target_link_libraries(bench_frontpanel PRIVATE tb_displays benchmark::benchmark)
endif()
