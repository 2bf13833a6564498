# Tests of tracker-sim: its pure parts, and the binary over a pseudo-terminal.
if(TARGET tb_trackersim_core AND TARGET tb_nmea)
    tb_add_gtest(tracker_sim_core_test
        SOURCES
            ${CMAKE_CURRENT_LIST_DIR}/tracker-sim/CommandHandlerTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tracker-sim/LinePacerTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tracker-sim/NmeaOutputTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tracker-sim/ProgramDecodingTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tracker-sim/ProgramDialogueTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tracker-sim/SimOptionsTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tracker-sim/TrafficLogTest.cpp
        LIBS tb_trackersim_core tb_trackerconfig_core tb_nmea
        LABELS tools)
endif()

if(TARGET tracker-sim AND TARGET tb_serial)
    tb_add_gtest(tracker_sim_pty_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/tracker-sim/PtyRoundTripTest.cpp
        LIBS tb_trackersim_core tb_serial
        LABELS tools)
    target_compile_definitions(tracker_sim_pty_test PRIVATE
        TRACKER_SIM_PATH="$<TARGET_FILE:tracker-sim>")
    add_dependencies(tracker_sim_pty_test tracker-sim)
endif()
