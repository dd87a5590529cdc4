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

# Benchmarks print figures; they are not tests.
add_executable(scan_bench_native bench/scan_bench_native.cpp)
target_link_libraries(scan_bench_native PRIVATE velmora_sim)
target_compile_options(scan_bench_native PRIVATE ${VELMORA_WARNINGS})

# The icon drawing program, and a check that res/ holds exactly what it draws.
add_executable(draw_icons tools/icons/draw_icons.cpp)
target_include_directories(draw_icons PRIVATE src)
target_compile_options(draw_icons PRIVATE ${VELMORA_WARNINGS})
add_test(NAME icons_match_drawing
         COMMAND ${CMAKE_COMMAND} -DDRAW_ICONS=$<TARGET_FILE:draw_icons> -DRES_DIR=${PROJECT_SOURCE_DIR}/res
                 -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/icons_drawn
                 -P ${PROJECT_SOURCE_DIR}/tests/resources/check_icons_drawn.cmake)
