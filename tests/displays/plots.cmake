# The plots: bookkeeping without a screen, drawing and mouse handling offscreen.
tb_add_gtest(displays_plots_logic_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlotsLogicTest.cpp
    LIBS tb_plots_core)

if(TB_GUI)
    tb_add_qtest(displays_plots_render_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlotsRenderTest.cpp
        LIBS tb_plots)
endif()
