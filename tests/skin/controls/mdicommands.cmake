# System commands and size steps of a skinned MDI main form and its children: what is repainted
# before the command returns and how the main form's frame waits for a child.
dravolin_test(skin_mdicommands_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mdicommands_test.cpp ${PROJECT_SOURCE_DIR}/tests/skin/engine/skin_test_support.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
target_include_directories(skin_mdicommands_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/skin/engine)
target_compile_definitions(skin_mdicommands_test PRIVATE "DRAVOLIN_SKIN_DIR=\"Z:${CMAKE_BINARY_DIR}/resources/skin\"")
add_dependencies(skin_mdicommands_test dravolin_bitmaps)
