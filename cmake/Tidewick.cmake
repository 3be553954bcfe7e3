# tidewick_test(<name> SOURCES <files...> LIBS <targets...> [SLOW <Suite.Test...>])
# One GoogleTest executable, registered with CTest. Every test runs headless,
# with its own application-data, configuration and runtime folders, so no test
# touches the user's settings, logs or registry. The test main sets
# TIDEWICK_SOURCE_DIR, TIDEWICK_BIN_DIR and TIDEWICK_TEST_OUTPUT when the
# environment does not (one ENVIRONMENT item is all gtest_discover_tests keeps).
# The tests named under SLOW (those that run for seconds or measure real time)
# carry the CTest label `slow`: `ctest -LE slow` leaves them out.
function(tidewick_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;SLOW" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} tw_testsupport GTest::gtest GTest::gmock)
    # The tests' own code unoptimised and with line tables only, in every
    # build: it builds in about half the time, and the code under test keeps
    # its optimisation and its full debugging information.
    target_compile_options(${name} PRIVATE -O0 -g1)
    if(TIDEWICK_TSAN)
        # GLib and GStreamer below the capture road are not instrumented.
        target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/capturelib/TsanSuppressions.cpp)
    endif()
    if(T_SLOW)
        list(JOIN T_SLOW ":" _slow)
        gtest_discover_tests(${name}
            DISCOVERY_TIMEOUT 60
            TEST_FILTER "-${_slow}"
            PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
        gtest_discover_tests(${name}
            DISCOVERY_TIMEOUT 60
            TEST_FILTER "${_slow}"
            PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS slow)
    else()
        gtest_discover_tests(${name}
            DISCOVERY_TIMEOUT 60
            PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
endfunction()
