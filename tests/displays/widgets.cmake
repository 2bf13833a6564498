# Drawing components: sky plot bookkeeping without a screen, rendering checked offscreen.
tb_add_gtest(displays_skyplot_logic_test
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/SkyPlotLogicTest.cpp
    LIBS tb_displays)

tb_add_qtest(displays_frontpanel_render_test
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/FrontPanelRenderTest.cpp
    LIBS tb_displays)
