# Border painters, section backgrounds, bevels, frames and painting helpers.
dravolin_test(skin_borders_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/borders_test.cpp ${CMAKE_CURRENT_LIST_DIR}/bevels_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/item_paint_test.cpp ${CMAKE_CURRENT_LIST_DIR}/pixels/pixels_support.cpp
  DEPENDS skin_engine)
# Microseconds per button cache, form background and border region; by hand:
# skin_borders_bench.exe [count].
add_executable(skin_borders_bench ${CMAKE_CURRENT_LIST_DIR}/borders_bench.cpp)
target_link_libraries(skin_borders_bench PRIVATE skin_engine)
set_target_properties(skin_borders_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_test(NAME skin_borders_bench_runs COMMAND skin_borders_bench 20)
set_tests_properties(skin_borders_bench_runs PROPERTIES TIMEOUT 120)
