# The internal skin as tools/skin.py built it: every section and mask the skin engine and the
# skinned controls look up exists, rectangles lie inside the master bitmap, frames cut into whole
# 3 x 3 cells, masks of type 1 carry their mask half, the form-definition block and the skin
# folder describe the same skin, and the form-insertion mode places the block at its marker.
add_test(NAME skin_art_check
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/skin.py --check ${PROJECT_SOURCE_DIR}/resources/skin
          ${CMAKE_BINARY_DIR}/resources/skin)

# The same skin read by the skin engine: the InternalSkins block into a skin manager, and the
# skin folder through the folder loader, from the build folder (drive Z: under Wine).
dravolin_test(internal_skin_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/internal_skin_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_test_support.cpp
  DEPENDS skin_engine)
target_compile_definitions(internal_skin_test PRIVATE "DRAVOLIN_SKIN_DIR=\"Z:${CMAKE_BINARY_DIR}/resources/skin\"")
add_dependencies(internal_skin_test dravolin_bitmaps)
