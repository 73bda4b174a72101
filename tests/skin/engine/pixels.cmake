# The mask painters, blends and text painting of the skin engine.
dravolin_test(skin_pixels_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pixels/pixels_support.cpp ${CMAKE_CURRENT_LIST_DIR}/pixels/mask_paint_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/pixels/blend_test.cpp ${CMAKE_CURRENT_LIST_DIR}/pixels/text_paint_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/pixels/paint_fuzz_test.cpp
  DEPENDS skin_engine)
