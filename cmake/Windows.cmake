# MinGW-w64 build: Velmora.exe, the Win32 layer and its tests under Wine.
add_link_options(-static -static-libgcc -static-libstdc++)
# Each function in a section of its own, so that the linker can drop the ones
# nothing calls.
add_compile_options(-ffunction-sections -fdata-sections)
# Reproducible programs: the same sources give the same bytes whenever and
# wherever they are built. The linker would stamp the link time into the PE
# header, and __FILE__ or debug data would carry the build folder.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>
                    $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>)

enable_language(RC)
if(VELMORA_MINGW_THREADS STREQUAL "win32")
  if(BUILD_TESTING)
    message(FATAL_ERROR "the test programs need VELMORA_MINGW_THREADS=posix")
  endif()
  # Velmora.exe: its entry point and resources, over the library of its forms.
  # Its header names Windows Vista (6.0), the oldest Windows that has every
  # function it imports (QueryFullProcessImageNameW and
  # RegisterApplicationRestart came with Vista), so that XP refuses it
  # plainly instead of failing on a missing entry point.
  add_executable(Velmora WIN32 src/app/lean_runtime.cpp src/app/main.cpp res/velmora.rc)
  target_link_libraries(Velmora PRIVATE velmora_forms)
  target_compile_options(Velmora PRIVATE ${VELMORA_WARNINGS})
  target_link_options(Velmora PRIVATE -municode -Wl,--gc-sections -s -Wl,--disable-runtime-pseudo-reloc
                      -Wl,--major-os-version,6,--minor-os-version,0
                      -Wl,--major-subsystem-version,6,--minor-subsystem-version,0)
else()
  # The test programs need the posix thread model; Velmora.exe is built beside
  # them in a configuration of its own, with the win32 one, and copied to
  # where the tests and scripts/run look for it.
  include(ExternalProject)
  set(VELMORA_PROGRAM_DIR ${CMAKE_BINARY_DIR})
  ExternalProject_Add(Velmora
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/velmora-win32
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
               -DVELMORA_MINGW_ARCH=${VELMORA_MINGW_ARCH} -DVELMORA_MINGW_THREADS=win32
               -DBUILD_TESTING=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
    BUILD_COMMAND $(MAKE) Velmora
    BUILD_ALWAYS TRUE
    INSTALL_COMMAND ${CMAKE_COMMAND} -E copy_if_different <BINARY_DIR>/Velmora.exe ${VELMORA_PROGRAM_DIR}
    BUILD_BYPRODUCTS ${VELMORA_PROGRAM_DIR}/Velmora.exe)
endif()

# The Win32 side of the window-system seam and the event pump.
add_library(velmora_win32 STATIC
  src/platform/win32/win32_event_pump.cpp
  src/platform/win32/win32_window_system.cpp
)
target_link_libraries(velmora_win32 PUBLIC velmora_core user32 shell32)
target_compile_options(velmora_win32 PRIVATE ${VELMORA_WARNINGS})

# The program's forms, in a library so that the Windows tests open them too.
add_library(velmora_forms STATIC
  src/keeplist/win32/form2.cpp
  src/platform/win32/forms/controls.cpp
  src/platform/win32/forms/dpi.cpp
  src/platform/win32/forms/fonts.cpp
  src/platform/win32/forms/form.cpp
  src/shell/win32/form1.cpp
  src/shell/win32/form3.cpp
  src/shell/win32/form4.cpp
  src/shell/win32/session.cpp
  src/shell/win32/velmora_forms.cpp
)
target_link_libraries(velmora_forms PUBLIC velmora_win32)
target_compile_options(velmora_forms PRIVATE ${VELMORA_WARNINGS})

if(BUILD_TESTING)
  include(GoogleTest)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  # The helper that opens windows for the tests and benchmarks, and the code
  # that drives it from another process. Both land beside the test programs,
  # where the driver looks for the helper.
  add_executable(winhelper tools/winhelper/winhelper.cpp)
  target_link_libraries(winhelper PRIVATE velmora_core)
  target_include_directories(winhelper PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(winhelper PRIVATE ${VELMORA_WARNINGS})
  target_compile_definitions(winhelper PRIVATE UNICODE _UNICODE)
  target_link_options(winhelper PRIVATE -municode)

  add_library(winhelper_client STATIC tools/winhelper/winhelper_client.cpp)
  target_link_libraries(winhelper_client PUBLIC velmora_win32)
  target_include_directories(winhelper_client PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(winhelper_client PRIVATE ${VELMORA_WARNINGS})
  add_dependencies(winhelper_client winhelper)

  file(GLOB VELMORA_WIN32_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/win32/*_test.cpp)
  add_executable(win32_tests ${VELMORA_WIN32_TESTS})
  target_link_libraries(win32_tests PRIVATE winhelper_client velmora_forms gtest gmock gtest_main)
  target_compile_options(win32_tests PRIVATE ${VELMORA_TEST_WARNINGS})
  # Listing the tests starts Wine, which on a loaded machine takes longer than
  # the 5 s that CMake allows by default.
  gtest_discover_tests(win32_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
  # resources_test reads Velmora.exe's version record and resources, and
  # the forms under test take their icons from the same images.
  target_link_libraries(win32_tests PRIVATE version)
  target_sources(win32_tests PRIVATE res/icons.rc)
  add_dependencies(win32_tests Velmora)
  # The legibility cases again at four DPIs, with and without Wine's fonts,
  # each prefix and DPI of their own.
  add_test(NAME legibility_at_every_dpi
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/win32/legibility_test.sh
                   $<TARGET_FILE:win32_tests>)
  set_tests_properties(legibility_at_every_dpi PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300
                                                          RUN_SERIAL TRUE)
  add_test(NAME velmora_imports_system_dlls_only
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=${VELMORA_PROGRAM_DIR}/Velmora.exe
                   -P ${PROJECT_SOURCE_DIR}/tests/resources/check_imports.cmake)

  # End-to-end tests of Velmora.exe in a Wine virtual desktop, driven with
  # xdotool, and the tool with which they look at the desktop and signal it.
  add_executable(desktopctl tools/desktopctl/desktopctl.cpp)
  target_link_libraries(desktopctl PRIVATE velmora_core)
  target_include_directories(desktopctl PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(desktopctl PRIVATE ${VELMORA_WARNINGS})
  target_link_options(desktopctl PRIVATE -municode)
  # The same tests against the i686 Velmora.exe, labelled i686 (test preset
  # mingw-x64-i686), with these helpers beside it: the x86 package on 64-bit
  # Windows, where it closes 64-bit browsers. That program comes from a
  # build of its own, so its folder is filled when the tests start;
  # scripts/test runs them only where Wine runs 32-bit programs. Left out there, to keep CI short, are the
  # tests of the runs' own logic, which is portable code, and of the one
  # instance per session, where both sides are the same build: a 32-bit
  # fault (a calling convention, a structure's size, a handle or a message
  # parameter between processes of both widths) shows in the others first.
  set(VELMORA_I686_PROGRAM "" CACHE FILEPATH "the i686 Velmora.exe that the i686 end-to-end tests run")
  set(e2e_i686_dir ${CMAKE_BINARY_DIR}/i686)
  set(e2e_x86_64_only fault_taskbar fault_own_windows close_during_run single_instance)
  if(VELMORA_I686_PROGRAM)
    file(MAKE_DIRECTORY ${e2e_i686_dir})
    add_test(NAME i686_program_beside_the_helpers
             COMMAND ${CMAKE_COMMAND} -E copy ${VELMORA_I686_PROGRAM} $<TARGET_FILE:desktopctl>
                     $<TARGET_FILE:winhelper> ${e2e_i686_dir})
    set_tests_properties(i686_program_beside_the_helpers PROPERTIES FIXTURES_SETUP i686_program
                                                                    LABELS i686)
  endif()
  foreach(e2e menu sweep taskbar keep_list_and_configuration fault_taskbar fault_own_windows
                close_during_run restart_manager single_instance)
    add_test(NAME e2e_${e2e}
             COMMAND bash ${PROJECT_SOURCE_DIR}/tests/e2e/${e2e}_test.sh ${VELMORA_PROGRAM_DIR})
    set_tests_properties(e2e_${e2e} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120 RUN_SERIAL TRUE)
    if(VELMORA_I686_PROGRAM AND NOT e2e IN_LIST e2e_x86_64_only)
      add_test(NAME e2e_i686_${e2e}
               COMMAND bash ${PROJECT_SOURCE_DIR}/tests/e2e/${e2e}_test.sh ${e2e_i686_dir})
      set_tests_properties(e2e_i686_${e2e} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120 RUN_SERIAL TRUE
                                                      LABELS i686 FIXTURES_REQUIRED i686_program)
    endif()
  endforeach()
  # scripts/run on a fresh prefix of its own; it measures with the Windows
  # tests' legibility cases.
  add_test(NAME e2e_run_prefix
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/e2e/run_prefix_test.sh ${VELMORA_PROGRAM_DIR})
  set_tests_properties(e2e_run_prefix PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 240 RUN_SERIAL TRUE)

  # Benchmarks print figures for scripts/bench.
  add_executable(scan_bench_win32 bench/scan_bench_win32.cpp)
  target_link_libraries(scan_bench_win32 PRIVATE winhelper_client)
  target_compile_options(scan_bench_win32 PRIVATE ${VELMORA_WARNINGS})
  add_executable(sweep_cpu_bench_win32 bench/sweep_cpu_bench_win32.cpp)
  target_link_libraries(sweep_cpu_bench_win32 PRIVATE winhelper_client)
  target_compile_options(sweep_cpu_bench_win32 PRIVATE ${VELMORA_WARNINGS})
  target_link_options(sweep_cpu_bench_win32 PRIVATE -municode)
  # Velmora's own forms and message loop, with its resources, under hooks
  # that count what wakes the thread.
  add_executable(idle_bench_win32 WIN32 bench/idle_bench_win32.cpp res/velmora.rc)
  target_link_libraries(idle_bench_win32 PRIVATE velmora_forms)
  target_compile_options(idle_bench_win32 PRIVATE ${VELMORA_WARNINGS})
  target_link_options(idle_bench_win32 PRIVATE -municode)
  foreach(minimal minimal_win32 minimal_tray_win32)
    add_executable(${minimal} WIN32 bench/${minimal}.cpp)
    target_include_directories(${minimal} PRIVATE ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(${minimal} PRIVATE ${VELMORA_WARNINGS})
    target_link_options(${minimal} PRIVATE -municode)
  endforeach()
  target_link_libraries(minimal_tray_win32 PRIVATE shell32)
  # Their short form is a test: it fails when the program scans, sweeps or
  # idles far above its floor.
  add_test(NAME bench_short
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/bench/short_bench_test.sh
                   ${VELMORA_PROGRAM_DIR})
  set_tests_properties(bench_short PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
  # The soak drives the forms and the tray of Velmora.exe, linked in as the
  # program links them, through thousands of uses; its short form is a test.
  add_library(resource_counts STATIC bench/resource_counts.cpp)
  target_include_directories(resource_counts PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(resource_counts PUBLIC psapi gdi32 user32)
  target_compile_options(resource_counts PRIVATE ${VELMORA_WARNINGS})
  add_executable(soak_win32 bench/soak_win32.cpp res/velmora.rc)
  target_link_libraries(soak_win32 PRIVATE resource_counts winhelper_client velmora_forms)
  target_compile_options(soak_win32 PRIVATE ${VELMORA_WARNINGS})
  target_link_libraries(win32_tests PRIVATE resource_counts)
  add_test(NAME soak_short COMMAND soak_win32 --short)
  set_tests_properties(soak_short PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endif()
