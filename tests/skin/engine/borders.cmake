# Border painters, section backgrounds, bevels, frames and painting helpers.
dravolin_test(skin_borders_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/borders_test.cpp ${CMAKE_CURRENT_LIST_DIR}/bevels_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/pixels/pixels_support.cpp
  DEPENDS skin_engine)
