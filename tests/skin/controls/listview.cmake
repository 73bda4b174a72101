# The skinned list view: frame, header sections and hook, overlaid scroll bars, on a shown form
# with the internal skin.
dravolin_test(skin_listview_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/listview_test.cpp ${PROJECT_SOURCE_DIR}/tests/skin/engine/skin_test_support.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
target_include_directories(skin_listview_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/skin/engine)
target_compile_definitions(skin_listview_test PRIVATE "DRAVOLIN_SKIN_DIR=\"Z:${CMAKE_BINARY_DIR}/resources/skin\"")
add_dependencies(skin_listview_test dravolin_bitmaps)
# The protocol list with thousands of rows on the real main window (see listview_bench.cpp);
# the suite only checks that it runs.
add_executable(skinned_listview_bench ${CMAKE_CURRENT_LIST_DIR}/listview_bench.cpp $<TARGET_OBJECTS:dravolin_resources>)
target_link_libraries(skinned_listview_bench PRIVATE app_core resource_ids)
set_target_properties(skinned_listview_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_test(NAME skinned_listview_bench_runs COMMAND skinned_listview_bench 60 3)
set_tests_properties(skinned_listview_bench_runs PROPERTIES TIMEOUT 120 ENVIRONMENT DRAVOLIN_OWN_DESKTOP=1)
# The main window's protocol list with the internal skin, driven by posted mouse messages.
dravolin_test(skin_protocol_list_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/protocol_list_test.cpp ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
  DEPENDS app_core RESOURCES DESKTOP)
