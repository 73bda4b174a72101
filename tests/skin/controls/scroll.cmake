# The skinned scroll bar, list box and up-down on shown test forms, driven by messages.
dravolin_test(skin_scroll_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/scroll_test.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
