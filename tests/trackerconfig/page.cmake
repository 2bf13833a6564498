# The configuration page on the offscreen platform, and once with the frame and tracker-sim.
if(NOT TARGET tb_trackerconfig_page)
    return()
endif()
tb_add_qtest(trackerconfig_page_test
    SOURCES
        ${PROJECT_SOURCE_DIR}/tests/app/AppTestMain.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ConfigPageTest.cpp
    LIBS tb_trackerconfig_page tb_app
)
target_include_directories(trackerconfig_page_test PRIVATE
    ${PROJECT_SOURCE_DIR}/tests/app ${PROJECT_SOURCE_DIR}/tests/devicetest)
if(TARGET tracker-sim)
    target_compile_definitions(trackerconfig_page_test PRIVATE
        TB_TRACKER_SIM_EXE="$<TARGET_FILE:tracker-sim>")
    add_dependencies(trackerconfig_page_test tracker-sim)
endif()
