# Skinned labels, panels, the size grip and the bevel on shown forms.
dravolin_test(skin_panels_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/panels_test.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
