# The form skin provider: modes, messages, metrics, frame painting and the window region, on
# shown test forms.
dravolin_test(skin_provider_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/provider_test.cpp ${PROJECT_SOURCE_DIR}/tests/skin/engine/skin_test_support.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
target_include_directories(skin_provider_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/skin/engine)
