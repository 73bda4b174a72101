# The skinned menus: item types, hooking, measuring, and items drawn on the internal skin.
dravolin_test(skin_menus_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/menus_test.cpp ${PROJECT_SOURCE_DIR}/tests/skin/engine/skin_test_support.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls)
target_include_directories(skin_menus_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/skin/engine)
target_compile_definitions(skin_menus_test PRIVATE "DRAVOLIN_SKIN_DIR=\"Z:${CMAKE_BINARY_DIR}/resources/skin\"")
add_dependencies(skin_menus_test dravolin_bitmaps)
