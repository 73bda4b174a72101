# A form whose AutoScroll is set, scrolled by its skin provider with skinned bars.
dravolin_test(skin_form_scroll_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/formscroll_test.cpp ${PROJECT_SOURCE_DIR}/tests/skin/engine/skin_test_support.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
target_compile_definitions(skin_form_scroll_test PRIVATE "DRAVOLIN_SKIN_DIR=\"Z:${CMAKE_BINARY_DIR}/resources/skin\"")
add_dependencies(skin_form_scroll_test dravolin_bitmaps)
