# Project-wide compile settings and helpers for tests.

add_compile_options(-Wall -Wextra)
if(TB_WERROR)
    add_compile_options(-Werror)
endif()

if(TB_SANITIZE)
    string(REPLACE "," ";" _tb_sanitizers "${TB_SANITIZE}")
    foreach(_s IN LISTS _tb_sanitizers)
        add_compile_options(-fsanitize=${_s})
        add_link_options(-fsanitize=${_s})
    endforeach()
    add_compile_options(-fno-omit-frame-pointer -fno-sanitize-recover=all)
endif()

# Where the shared receiver captures live on our own machines; tests skip when it is absent.
get_filename_component(_tb_default_corpus "${CMAKE_SOURCE_DIR}/../shared/corpus" ABSOLUTE)
set(TB_CORPUS_DIR "${_tb_default_corpus}" CACHE PATH "Folder of receiver captures for the corpus tests")
set(TB_TEST_DATA_DIR "${CMAKE_SOURCE_DIR}/tests/data")
# Helpers shared by the tests of several folders (pseudo-terminals, settings in a temporary
# folder, a recording line sender, pixel checks, the shell's test main).
set(TB_TEST_SUPPORT_DIR "${CMAKE_SOURCE_DIR}/tests/support")

# tb_add_gtest(name SOURCES a.cpp ... LIBS lib ... [LABELS l ...] [PROPERTIES p v ...])
# A GoogleTest executable registered with ctest, one ctest entry per test case. PROPERTIES are
# further test properties of every case (single values, e.g. FIXTURES_REQUIRED name).
function(tb_add_gtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;PROPERTIES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
    target_include_directories(${name} PRIVATE ${TB_TEST_SUPPORT_DIR})
    target_compile_definitions(${name} PRIVATE
        TB_CORPUS_DIR="${TB_CORPUS_DIR}" TB_TEST_DATA_DIR="${TB_TEST_DATA_DIR}")
    include(GoogleTest)
    set(_props ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    if(T_LABELS)
        # gtest_discover_tests cannot pass a list value through, so one label per executable.
        list(LENGTH T_LABELS _n)
        if(_n GREATER 1)
            message(FATAL_ERROR "tb_add_gtest(${name}): one label only")
        endif()
        list(APPEND _props LABELS ${T_LABELS})
    endif()
    list(APPEND _props ${T_PROPERTIES})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${_props})
endfunction()

# tb_add_qtest(name SOURCES a.cpp ... LIBS lib ...)
# A Qt Test executable (offscreen platform), one ctest entry for the whole executable.
function(tb_add_qtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test Threads::Threads)
    target_include_directories(${name} PRIVATE ${TB_TEST_SUPPORT_DIR})
    target_compile_definitions(${name} PRIVATE
        TB_CORPUS_DIR="${TB_CORPUS_DIR}" TB_TEST_DATA_DIR="${TB_TEST_DATA_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "gui;${T_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()

# The Qt libraries in the link closure of target, as found at configure time (the linker drops
# unused libraries, so a built binary alone would not show a Qt library that crept in).
function(tb_qt_in_link_closure target out)
    set(seen "")
    set(qt "")
    set(todo ${target})
    while(todo)
        list(POP_FRONT todo item)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
        if(item IN_LIST seen OR item MATCHES "^\\$<")
            continue()
        endif()
        list(APPEND seen ${item})
        if(item MATCHES "^Qt[0-9]*::")
            list(APPEND qt ${item})
        elseif(TARGET ${item})
            foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
                get_target_property(libraries ${item} ${property})
                if(libraries)
                    list(APPEND todo ${libraries})
                endif()
            endforeach()
        endif()
    endwhile()
    set(${out} "${qt}" PARENT_SCOPE)
endfunction()

# tb_add_no_qt_check(target ...): a test per target that fails when Qt is in its link closure.
function(tb_add_no_qt_check)
    foreach(target IN LISTS ARGN)
        tb_qt_in_link_closure(${target} qt)
        add_test(NAME ${target}.links_no_qt
            COMMAND ${CMAKE_COMMAND} -DTARGET=${target} "-DQT=${qt}"
                    -P ${CMAKE_SOURCE_DIR}/tests/support/LinksNoQt.cmake)
    endforeach()
endfunction()
