# The skinned message dialog: layout, buttons, and dialogs shown modally on the internal skin.
dravolin_test(skin_dialog_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialog_test.cpp ${PROJECT_SOURCE_DIR}/tests/skin/engine/skin_test_support.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
target_include_directories(skin_dialog_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/skin/engine)
target_compile_definitions(skin_dialog_test PRIVATE "DRAVOLIN_SKIN_DIR=\"Z:${CMAKE_BINARY_DIR}/resources/skin\""
                                                   "DRAVOLIN_BUILD_DIR=\"Z:${CMAKE_BINARY_DIR}\"")
add_dependencies(skin_dialog_test dravolin_bitmaps)
