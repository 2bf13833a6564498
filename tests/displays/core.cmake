tb_add_gtest(displays_core_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PositionArithmeticTest.cpp
    LIBS tb_displays_core
)
