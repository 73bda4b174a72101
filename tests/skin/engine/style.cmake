# The style base and its private messages, driven through small skinned test controls.
dravolin_test(skin_style_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/style_test.cpp ${CMAKE_CURRENT_LIST_DIR}/style_tables_stand_in.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_engine DESKTOP)
