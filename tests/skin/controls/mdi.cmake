# MDI forms: the toolkit's MDI frame and children, and the skinned client area on the internal skin.
dravolin_test(skin_mdi_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mdi_test.cpp ${PROJECT_SOURCE_DIR}/tests/skin/engine/skin_test_support.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_classes.cpp
          ${PROJECT_SOURCE_DIR}/tests/toolkit/visual_test_main.cpp
  DEPENDS skin_controls DESKTOP)
target_include_directories(skin_mdi_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/skin/engine)
target_compile_definitions(skin_mdi_test PRIVATE "DRAVOLIN_SKIN_DIR=\"Z:${CMAKE_BINARY_DIR}/resources/skin\""
                                                "DRAVOLIN_BUILD_DIR=\"Z:${CMAKE_BINARY_DIR}\"")
add_dependencies(skin_mdi_test dravolin_bitmaps)
