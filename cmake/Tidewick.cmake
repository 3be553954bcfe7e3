# tidewick_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable, registered with CTest. Every test runs headless,
# with its own application-data, configuration and runtime folders, so no test
# touches the user's settings, logs or registry. The test main sets
# TIDEWICK_SOURCE_DIR, TIDEWICK_BIN_DIR and TIDEWICK_TEST_OUTPUT when the
# environment does not (one ENVIRONMENT item is all gtest_discover_tests keeps).
function(tidewick_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} tw_testsupport GTest::gtest GTest::gmock)
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
