# Draws the icons afresh and fails unless the drawing program writes exactly
# the icon files committed under res/, byte for byte, so that the program and
# the icons the build embeds cannot drift apart.
#
# cmake -DDRAW_ICONS=<program> -DRES_DIR=<res folder> -DWORK_DIR=<scratch folder>
#       -P check_icons_drawn.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND "${DRAW_ICONS}" "${WORK_DIR}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "draw_icons failed: ${result}")
endif()

set(icon_patterns *.ico *.rticon *.rtgroup)
file(GLOB drawn RELATIVE "${WORK_DIR}" "${WORK_DIR}/*")
list(TRANSFORM icon_patterns PREPEND "${RES_DIR}/" OUTPUT_VARIABLE committed_patterns)
file(GLOB committed RELATIVE "${RES_DIR}" ${committed_patterns})
if(NOT drawn)
  message(FATAL_ERROR "draw_icons wrote nothing into ${WORK_DIR}")
endif()

set(mismatched)
foreach(name IN LISTS drawn committed)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK_DIR}/${name}" "${RES_DIR}/${name}"
                  RESULT_VARIABLE differs OUTPUT_QUIET ERROR_QUIET)
  if(NOT differs EQUAL 0)
    list(APPEND mismatched "${name}")
  endif()
endforeach()
if(mismatched)
  list(REMOVE_DUPLICATES mismatched)
  message(FATAL_ERROR "res/ does not hold what tools/icons/draw_icons draws: ${mismatched}\n"
                      "Redraw them with: draw_icons res")
endif()
