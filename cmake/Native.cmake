# Native Linux build: the core on the simulated desktop, its unit tests and
# the native benchmark.
find_package(GTest REQUIRED)
include(GoogleTest)

add_library(velmora_sim STATIC src/platform/sim/sim_desktop.cpp)
target_link_libraries(velmora_sim PUBLIC velmora_core)
target_compile_options(velmora_sim PRIVATE ${VELMORA_WARNINGS})

file(GLOB VELMORA_UNIT_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/unit/*_test.cpp)
add_executable(unit_tests ${VELMORA_UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE velmora_sim GTest::gtest GTest::gmock GTest::gtest_main)
target_compile_options(unit_tests PRIVATE ${VELMORA_TEST_WARNINGS})
gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST)
