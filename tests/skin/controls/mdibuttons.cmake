# The MDI child buttons on the menu line of a skinned MDI main form whose active child is maximized.
dravolin_test(skin_mdibuttons_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mdibuttons_test.cpp ${PROJECT_SOURCE_DIR}/tests/skin/engine/skin_test_support.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
target_include_directories(skin_mdibuttons_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/skin/engine)
target_compile_definitions(skin_mdibuttons_test PRIVATE "DRAVOLIN_SKIN_DIR=\"Z:${CMAKE_BINARY_DIR}/resources/skin\"")
add_dependencies(skin_mdibuttons_test dravolin_bitmaps)
