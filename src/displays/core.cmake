# Position arithmetic shared by the plots: no Qt.
add_library(tb_displays_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CAverage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DestinationPoint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GreatCircleDistance.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LeastSquaresLine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MicroDegrees.cpp
)
target_include_directories(tb_displays_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_features(tb_displays_core PUBLIC cxx_std_20)
