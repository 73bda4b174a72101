# Title buttons, frame mouse handling and the system menu of skinned forms.
dravolin_test(skin_titlebtns_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/titlebtns_test.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
