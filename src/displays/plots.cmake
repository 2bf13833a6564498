# The plots' bookkeeping (series blocks, ranges and grid, scatter samples, view box, zoom and
# projection) builds without Qt; the plot windows on top need Qt Widgets.
add_library(tb_plots_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PlotSeries.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlotSeries.h
    ${CMAKE_CURRENT_LIST_DIR}/ScatterPlotModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScatterPlotModel.h
    ${CMAKE_CURRENT_LIST_DIR}/VPlotScales.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VPlotScales.h
)
target_include_directories(tb_plots_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tb_plots_core PUBLIC tb_displays_core)

if(TB_GUI)
    add_library(tb_plots STATIC
        ${CMAKE_CURRENT_LIST_DIR}/CVPlot.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CVPlot.h
        ${CMAKE_CURRENT_LIST_DIR}/CPositionPlotWnd.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CPositionPlotWnd.h
        ${CMAKE_CURRENT_LIST_DIR}/CScatterPlotWnd.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CScatterPlotWnd.h
    )
    set_target_properties(tb_plots PROPERTIES AUTOMOC ON)
    target_link_libraries(tb_plots PUBLIC tb_plots_core tb_displays Qt6::Widgets)
endif()

# A window that shows both plots fed with a wandering position, for looking at them.
if(TB_GUI AND TB_TOOLS)
    add_executable(plot-preview ${PROJECT_SOURCE_DIR}/tools/plot-preview/main.cpp)
    target_link_libraries(plot-preview PRIVATE tb_plots)
endif()
