# The skinned buttons: composed looks, fading, press and release rules, groups, size, the
# drop-down arrow and the keys, on shown test forms.
dravolin_test(skin_buttons_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/buttons_test.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
