# Skinned check boxes, radio buttons, group boxes and radio groups on shown test forms.
dravolin_test(skin_checks_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/checks_test.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
# The configuration dialog's laps on the real program, by mouse and keyboard.
dravolin_script_test(config_dialog_laps_are_skinned config_laps_test.sh)
