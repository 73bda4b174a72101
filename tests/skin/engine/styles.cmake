# The style classes through small controls owning each: values from the section or the
# property objects, backgrounds, shadows, bevels, key navigation, messages, form definitions.
dravolin_test(skin_styles_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/styles_test.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_engine DESKTOP)
