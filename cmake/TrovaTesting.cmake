# Test programs are cross-built GoogleTest executables that CTest runs under Wine
# through scripts/wine-exec.sh (one persistent wineserver and Xvfb per run, see scripts/test.sh).
enable_testing()
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-exec.sh)

# trova_add_gtest(<name> SOURCES ... [LIBS ...] [TIMEOUT s] [LOCKS resource ...])
# LOCKS names shared state the program changes, so that CTest never runs two programs that
# hold the same lock at once: "registry" for the settings under Software\Vantel, "instance"
# for the player's single-instance window and mutexes.
function(trova_add_gtest name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LOCKS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gmock trova_test_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TROVA_TESTS_DIR})
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no WORKING_DIRECTORY ${TROVA_TESTS_DIR})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "TROVA_DIST_DIR=${TROVA_DIST_DIR}")
    if(T_LOCKS)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
    endif()
endfunction()
