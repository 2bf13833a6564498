# Drawing components that follow the application look: look colours, front panel, sky plot.
add_library(tb_displays STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/LookColours.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/LookColours.h
)
target_link_libraries(tb_displays PUBLIC Qt6::Widgets)
