# The skin manager: its broadcast to the application's forms and their controls, the menu
# painter's seam, the skin names it offers and the edge cases of its folders and properties.
dravolin_test(skin_manager_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/manager_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_test_support.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_engine)
