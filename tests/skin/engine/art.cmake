# The internal skin as tools/skin.py built it: every section and mask the skin engine and the
# skinned controls look up exists, rectangles lie inside the master bitmap, frames cut into whole
# 3 x 3 cells, masks of type 1 carry their mask half, the form-definition block and the skin
# folder describe the same skin, and the form-insertion mode places the block at its marker.
add_test(NAME skin_art_check
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/skin.py --check ${PROJECT_SOURCE_DIR}/resources/skin
          ${CMAKE_BINARY_DIR}/resources/skin)
