# The skinned controls' skin data and the control utilities, on shown test forms.
dravolin_test(skin_commondata_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/commondata_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ctrlutils_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/skin_test_controls.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_engine DESKTOP)
