# Tests of tollbrook-nmea: the tool is run as a user runs it and its output checked by
# nmea/check.cmake.
if(NOT TARGET tollbrook-nmea)
    return()
endif()

set(_check ${CMAKE_CURRENT_SOURCE_DIR}/nmea/check.cmake)
set(_tool $<TARGET_FILE:tollbrook-nmea>)

foreach(block 10240 1 7)
    add_test(NAME tollbrook_nmea.snapshot_of_the_gga_example_block${block}
        COMMAND ${CMAKE_COMMAND} -DTOOL=${_tool} -DCHECK=gga-example -DBLOCK=${block}
                -DFILE=${TB_TEST_DATA_DIR}/gga-example.nmea -P ${_check})
endforeach()
# The snapshot runs have a real position thread: they run under ThreadSanitizer too.
set_tests_properties(tollbrook_nmea.snapshot_of_the_gga_example_block10240
    tollbrook_nmea.snapshot_of_the_gga_example_block1
    tollbrook_nmea.snapshot_of_the_gga_example_block7 PROPERTIES LABELS tsan)
add_test(NAME tollbrook_nmea.snapshot_model_of_the_sample
    COMMAND ${CMAKE_COMMAND} -DTOOL=${_tool} -DCHECK=sample-model
            -DFILE=${TB_TEST_DATA_DIR}/sample.nmea -P ${_check})
set_tests_properties(tollbrook_nmea.snapshot_model_of_the_sample PROPERTIES LABELS tsan)
add_test(NAME tollbrook_nmea.snapshots_into_a_slow_pipe_keep_the_last_fix
    COMMAND ${CMAKE_COMMAND} -DTOOL=${_tool} -DCHECK=slow-reader
            -DFILE=${TB_TEST_DATA_DIR}/gga-example.nmea -P ${_check})
set_tests_properties(tollbrook_nmea.snapshots_into_a_slow_pipe_keep_the_last_fix
    PROPERTIES LABELS tsan)
add_test(NAME tollbrook_nmea.sentences_of_the_sample
    COMMAND ${CMAKE_COMMAND} -DTOOL=${_tool} -DCHECK=sentences
            -DFILE=${TB_TEST_DATA_DIR}/sample.nmea -P ${_check})
add_test(NAME tollbrook_nmea.bench_line
    COMMAND ${_tool} bench --repeat 3 ${TB_TEST_DATA_DIR}/sample.nmea)
set_tests_properties(tollbrook_nmea.bench_line PROPERTIES PASS_REGULAR_EXPRESSION
    "^bytes=[0-9]+ sentences=63 seconds=[0-9.]+ MBps=[0-9.]+\n$")
add_test(NAME tollbrook_nmea.help COMMAND ${_tool} --help)
set_tests_properties(tollbrook_nmea.help PROPERTIES PASS_REGULAR_EXPRESSION "usage: tollbrook-nmea")
add_test(NAME tollbrook_nmea.bad_use
    COMMAND ${CMAKE_COMMAND} -DTOOL=${_tool} -DCHECK=bad-use
            -DFILE=${TB_TEST_DATA_DIR}/sample.nmea -P ${_check})
if(EXISTS /dev/full)
    add_test(NAME tollbrook_nmea.output_that_cannot_be_written_fails
        COMMAND ${CMAKE_COMMAND} -DTOOL=${_tool} -DCHECK=write-error
                -DFILE=${TB_TEST_DATA_DIR}/sample.nmea -P ${_check})
endif()
add_test(NAME tollbrook_nmea.every_capture_in_every_mode
    COMMAND ${CMAKE_COMMAND} -DTOOL=${_tool} -DCHECK=corpus -DFILE=${TB_CORPUS_DIR} -P ${_check})
set_tests_properties(tollbrook_nmea.every_capture_in_every_mode PROPERTIES
    SKIP_REGULAR_EXPRESSION "no capture folder" TIMEOUT 600)
